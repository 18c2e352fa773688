#include "browser/view/outside_link_gate.hpp"

namespace quenlith {

bool OutsideLinkGate::mayAsk(const Uuid& tab, bool mainFrame, bool userGesture) {
    if (!mainFrame || !userGesture) return false;
    return asking_.insert(tab).second;
}

void OutsideLinkGate::answered(const Uuid& tab) {
    asking_.erase(tab);
}

}  // namespace quenlith
