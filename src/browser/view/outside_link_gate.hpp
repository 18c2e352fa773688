#pragma once

#include <set>

#include "model/uuid.hpp"

namespace quenlith {

// Which links to other applications are put to the user. A page may not flood the screen: only a
// main-frame navigation the user started (a click or a key) is asked about, a tab has at most one
// such question at a time, and what arrives while it is open is dropped, not queued.
class OutsideLinkGate {
public:
    // True when the navigation is asked about; the tab's question is then open until answered().
    bool mayAsk(const Uuid& tab, bool mainFrame, bool userGesture);
    // The tab's question ended (answered, dismissed, or its tab closed).
    void answered(const Uuid& tab);

private:
    std::set<Uuid> asking_;
};

}  // namespace quenlith
