#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <libsoup/soup.h>

#include "browser/engine/gobject_ptr.hpp"

namespace quenlith {

// What one bounded GET gave: the status and type of the response and the first bytes of its body.
struct FetchResult {
    bool ok = false;            // a response arrived and its body was read without error
    unsigned status = 0;        // the HTTP status; 0 without a response
    std::string contentType;    // the media type without parameters, lower case; empty when absent
    std::string body;           // at most `limit` + 1 bytes
    bool overLimit = false;     // more than `limit` bytes arrived; reading stopped there
};

// One GET of `address` through `session`, reading at most `limit` + 1 bytes of the body and giving
// up when the server is silent for `timeout`. `completion` runs once on the main loop, unless the
// returned handle is dropped first (that cancels the request and the reading).
class BoundedFetch {
public:
    using Completion = std::function<void(FetchResult)>;
    static std::shared_ptr<BoundedFetch> start(GObjectPtr<SoupSession> session, const std::string& address,
                                               std::size_t limit, std::chrono::seconds timeout, Completion completion);
    ~BoundedFetch();
    BoundedFetch(const BoundedFetch&) = delete;
    BoundedFetch& operator=(const BoundedFetch&) = delete;

    // The request's progress, shared with the pending GIO callbacks.
    struct State;

private:
    explicit BoundedFetch(std::shared_ptr<State> state) : state_(std::move(state)) {}
    std::shared_ptr<State> state_;
};

}  // namespace quenlith
