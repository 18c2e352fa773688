#pragma once

// Compiling content-rule lists: a small interface so that content blocking can be driven by a fake
// in tests, and the real one on WebKitUserContentFilterStore.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/engine/gobject_ptr.hpp"
#include "model/result.hpp"

typedef struct _WebKitUserContentFilter WebKitUserContentFilter;
typedef struct _WebKitUserContentFilterStore WebKitUserContentFilterStore;

namespace quenlith {

// One compiled list, shared by every content manager that carries it. Holds a reference to the
// engine's filter; a fake compiler makes lists without one.
class ContentRuleList {
public:
    // Takes over the caller's reference to `filter` (which may be null).
    ContentRuleList(std::string identifier, WebKitUserContentFilter* filter);
    ~ContentRuleList();
    ContentRuleList(const ContentRuleList&) = delete;
    ContentRuleList& operator=(const ContentRuleList&) = delete;

    const std::string& identifier() const { return identifier_; }
    WebKitUserContentFilter* filter() const { return filter_; }

private:
    std::string identifier_;
    WebKitUserContentFilter* filter_;
};

using ContentRuleListPtr = std::shared_ptr<const ContentRuleList>;

// Every operation completes exactly once, later, on the main loop. A completion may still arrive
// after the compiler is gone; callers guard what they capture.
class ContentRuleCompiler {
public:
    using ListHandler = std::function<void(Result<ContentRuleListPtr>)>;
    using StatusHandler = std::function<void(Status)>;
    using IdentifiersHandler = std::function<void(std::vector<std::string>)>;

    virtual ~ContentRuleCompiler() = default;

    // Compiles `json` and keeps the result in the store under `identifier`. A null list in a
    // success counts as a failure for the caller.
    virtual void compile(const std::string& identifier, std::string json, ListHandler done) = 0;
    // Loads a list compiled earlier; fails when the store has none under `identifier`.
    virtual void load(const std::string& identifier, ListHandler done) = 0;
    virtual void remove(const std::string& identifier, StatusHandler done) = 0;
    virtual void fetchIdentifiers(IdentifiersHandler done) = 0;
};

// The engine's compiler, storing compiled lists in a folder of their own. When that folder cannot
// be made, every compilation and load fails with an error naming the folder.
class WebKitContentRuleCompiler : public ContentRuleCompiler {
public:
    explicit WebKitContentRuleCompiler(const std::string& storagePath);
    ~WebKitContentRuleCompiler() override;

    void compile(const std::string& identifier, std::string json, ListHandler done) override;
    void load(const std::string& identifier, ListHandler done) override;
    void remove(const std::string& identifier, StatusHandler done) override;
    void fetchIdentifiers(IdentifiersHandler done) override;

    const std::string& storagePath() const { return storagePath_; }

private:
    std::string storagePath_;
    std::optional<Error> folderError_;
    GObjectPtr<WebKitUserContentFilterStore> store_;
};

}  // namespace quenlith
