#pragma once

namespace quenlith {

// A screen reader lists the items of a menu button's or a drop-down's menu (and of a submenu)
// without opening it, and may choose one from there. The toolkit then takes the input for the
// closed menu in the window the menu pops up in, which it makes only as the menu first opens, and
// logs a critical for the window it does not find. Once this is called, such a window is made as
// soon as the widget its menu is attached to is: choosing from a closed menu runs the item and
// logs nothing. Main thread; once per process is enough, more do nothing.
void letReadersChooseFromClosedMenus();

}  // namespace quenlith
