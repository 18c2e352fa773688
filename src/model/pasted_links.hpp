#pragma once

#include <string>
#include <vector>

#include "model/browser_scene.hpp"
#include "model/clock.hpp"

namespace quenlith {

// What "Open Multiple Links" does with the pasted links: open them as tabs, or keep them as a
// page group.
enum class BatchAction { tabs, group };

// The page group that pasted links are kept as: one window above the others, 600 by 700 at
// 80, 80, holding the links as tabs in their order with the first selected.
BrowserScene pastedLinksGroup(const std::vector<std::string>& urls, const std::string& name, Date now);

}  // namespace quenlith
