// Reads the running application's windows as a screen reader does: from another process, over the
// accessibility bus, with the names, descriptions, roles and states the toolkit's bridge sends.
//   atspi_walk PID STEP...
//     in=TITLE    looks for the controls, windows and items of the steps after it only in the
//                 windows titled TITLE (a title ending in "*": beginning so); "in=" looks in every one
//     press=NAME  performs the first action of the first showing control named NAME, in any window
//                 (a name ending in "*": beginning so)
//     activate=NAME
//                 performs the action "activate" of the first showing object named NAME that has
//                 one (a list's cell, as Return activates it)
//     focus=NAME  gives that control the keyboard focus (or, where it cannot take it, the showing
//                 object of that name that can: a grid's cell around a tile)
//     focused=NAME
//                 waits until the object that took the focus last reads as NAME (the toolkit's
//                 drop-down gives it to a nameless button of its own: the drop-down's name is read)
//     pressed=NAME, released=NAME
//                 waits until that control reads as a toggle button that is pressed (or not)
//     tab=NAME    selects the page tab named NAME, as a click on it does, and waits until it is
//                 selected
//     row=NAME    selects the first row of the showing table named NAME, as a click on it does
//     key=KEYSYM  presses and releases the key (a menu opens only from an input event)
//     chosen=NAME waits until, since the last key, an item named NAME was heard chosen as a screen
//                 reader follows it (reported as the active descendant of the object that has the
//                 focus, or taking the focus or the selection itself), then reads whether the list
//                 that holds it has a name
//     item=NAME   performs the action of the menu item named NAME of a control's menu that is not
//                 open (a menu button's, whose items a screen reader lists without opening it)
//     menu=NAME   performs the action of the item named NAME of the menu highlighted last (a popped-up
//                 menu is reached through the events of its highlight, as a screen reader reaches it)
//     fits=NAME@X,Y,W,H
//                 waits until the menu highlighted last (or the submenu of the item highlighted last)
//                 holds an item named NAME, then reads whether
//                 each of its items lies whole within that rectangle of the screen (a menu that
//                 scrolls has items beyond it)
//     walk=TITLE  reads the showing window titled TITLE (a title ending in "*": beginning so), and
//                 each page of every tab list in it
//     alert=TEXT  reads the showing alert (a message dialog) that holds the text TEXT
//     through=TITLE  waits until a window titled TITLE has shown and gone again, listening meanwhile
//                 to every change of the application's objects as a screen reader does
//     list        prints the titles of the showing windows
//     dump=DEPTH  prints the application's accessible tree to that depth, with the states read
// Each step waits up to 20 s for its control or window. A walk prints one line per problem,
// "TITLE: problem": a control that takes the focus (or a drop-down) without a name (a scroll pane
// with nothing inside that takes the focus among them), two controls of
// the window with one name and no description that tells them apart (on any of its tab pages), a
// drop-down named by the value it shows, a tab list without a name, a label that takes the focus, an
// object named or described by its icon's file, a
// name or description that carries invisible bidirectional marks (a screen reader would read the text
// around them, a braille display shows them), a text shown (a label's, a list cell's) that carries them, a list cell that takes the focus without a name (one
// that shows only a picture), an alert not named by its heading, an alert that tells of a failure
// announced as anything but an error or a warning. Exits 1 when a step found a problem or did not find what it
// waited for. With ATSPI_WALK_VERBOSE set, every control read is printed too.
#include <atspi/atspi.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "model/isolated_text.hpp"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStepLimit = std::chrono::seconds(20);

// An owned reference to an accessible object (or to an interface of one).
template <typename T>
struct Ref {
    T* object = nullptr;
    Ref() = default;
    explicit Ref(T* taken) : object(taken) {}
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& other) noexcept : object(other.object) { other.object = nullptr; }
    Ref& operator=(Ref&& other) noexcept {
        std::swap(object, other.object);
        return *this;
    }
    ~Ref() {
        if (object) g_object_unref(object);
    }
    T* get() const { return object; }
    explicit operator bool() const { return object != nullptr; }
};
using Accessible = Ref<AtspiAccessible>;

std::string taken(gchar* text) {
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

std::string nameOf(AtspiAccessible* object) {
    std::string name = taken(atspi_accessible_get_name(object, nullptr));
    return name.find_first_not_of(" \t\n") == std::string::npos ? std::string() : name;
}

std::string describe(AtspiAccessible* object) {
    return taken(atspi_accessible_get_role_name(object, nullptr));
}

struct States {
    // Shown, or scrolled out of sight: a screen reader reads both. Collapsed and hidden content is
    // hidden; the pages of a tab list that are not selected are left out by the walk.
    bool visible = false;
    bool showing = false, focusable = false, selected = false, collapsed = false;
    bool pressed = false;
};

States statesOf(AtspiAccessible* object) {
    States result;
    AtspiStateSet* states = atspi_accessible_get_state_set(object);
    if (!states) return result;
    result.visible = atspi_state_set_contains(states, ATSPI_STATE_VISIBLE);
    result.showing = result.visible && atspi_state_set_contains(states, ATSPI_STATE_SHOWING);
    result.focusable = atspi_state_set_contains(states, ATSPI_STATE_FOCUSABLE);
    result.selected = atspi_state_set_contains(states, ATSPI_STATE_SELECTED);
    result.collapsed = atspi_state_set_contains(states, ATSPI_STATE_EXPANDABLE) &&
                       !atspi_state_set_contains(states, ATSPI_STATE_EXPANDED);
    // A toggle button says it is down as pressed or as checked, as the toolkit chooses.
    result.pressed = atspi_state_set_contains(states, ATSPI_STATE_PRESSED) ||
                     atspi_state_set_contains(states, ATSPI_STATE_CHECKED);
    g_object_unref(states);
    return result;
}

// Whether the object belongs to the application read, not to a process it embeds (a web page's).
bool ours(AtspiAccessible* object, AtspiAccessible* application) {
    const AtspiObject* own = ATSPI_OBJECT(object);
    const AtspiObject* app = ATSPI_OBJECT(application);
    return own->app && app->app && std::strcmp(own->app->bus_name, app->app->bus_name) == 0;
}

std::vector<Accessible> childrenOf(AtspiAccessible* object) {
    std::vector<Accessible> children;
    const int count = atspi_accessible_get_child_count(object, nullptr);
    for (int index = 0; index < count; ++index)
        if (AtspiAccessible* child = atspi_accessible_get_child_at_index(object, index, nullptr))
            children.emplace_back(child);
    return children;
}

// The text a drop-down shows: the name of its selected item.
std::string shownValue(AtspiAccessible* comboBox) {
    Ref<AtspiSelection> selection(atspi_accessible_get_selection_iface(comboBox));
    if (!selection) return {};
    Accessible item(atspi_selection_get_selected_child(selection.get(), 0, nullptr));
    return item ? nameOf(item.get()) : std::string();
}

struct Control {
    std::string name, description, role, value;
    bool comboBox = false;
    std::string path;  // the object's own: a control read on several pages counts once
};

struct Walk {
    AtspiAccessible* application = nullptr;
    std::vector<Control> controls;
    std::vector<Accessible> tabLists;
    // What is wrong with one object on its own, whatever the others.
    std::vector<std::string> problems;
};

// Whether the name holds the invisible bidirectional controls that isolate a name on screen.
bool hasBidirectionalMarks(const std::string& name) {
    return quenlith::withoutIsolation(name) != name;
}

// The controls under `object` that a screen reader reads, in tree order, scrolled out of sight or not;
// lists, panes and fillers pass the focus to their items, which carry the names (a split pane's
// handle takes the focus itself: it is read as a control). Hidden content (a collapsed section) and
// the pages of a tab list that are not selected are not read.
// Answers whether the object or one under it takes the focus.
bool collect(Walk& walk, AtspiAccessible* object) {
    if (!ours(object, walk.application)) return false;
    const States states = statesOf(object);
    if (!states.visible) return false;
    const AtspiRole role = atspi_accessible_get_role(object, nullptr);
    if (role == ATSPI_ROLE_PAGE_TAB && !states.selected) return false;
    const bool comboBox = role == ATSPI_ROLE_COMBO_BOX;
    const bool container =
        role == ATSPI_ROLE_SCROLL_PANE || role == ATSPI_ROLE_PAGE_TAB_LIST || role == ATSPI_ROLE_LIST ||
        role == ATSPI_ROLE_LIST_BOX || role == ATSPI_ROLE_PANEL || role == ATSPI_ROLE_FILLER ||
        role == ATSPI_ROLE_TABLE_CELL || role == ATSPI_ROLE_VIEWPORT;
    const std::string name = nameOf(object);
    // A description is read after the name (a tooltip becomes one): it is held to the same rules.
    const std::string description = taken(atspi_accessible_get_description(object, nullptr));
    for (const auto& [text, what] : {std::pair{&name, "named"}, std::pair{&description, "described"}}) {
        // An icon named by its file ("edit-clear-symbolic") is read out as that.
        if (text->ends_with("-symbolic"))
            walk.problems.push_back("a " + describe(object) + " " + what + " by its icon \"" + *text + "\"");
        if (hasBidirectionalMarks(*text))
            walk.problems.push_back("a " + describe(object) + " " + what + " with invisible bidirectional marks \"" +
                                    *text + "\"");
    }
    // Flat review and a braille display read the text itself (a label's, a list cell's), not only
    // the name.
    if (AtspiText* shown = atspi_accessible_get_text_iface(object)) {
        gchar* text = atspi_text_get_text(shown, 0, -1, nullptr);
        if (text && hasBidirectionalMarks(text))
            walk.problems.push_back("a " + describe(object) + " showing invisible bidirectional marks \"" +
                                    quenlith::withoutIsolation(text) + "\"");
        g_free(text);
        g_object_unref(shown);
    }
    // A list's cells take the focus one by one: a cell that shows only a picture (a state mark, a
    // "…" button) reads as nothing unless it is given a name.
    if (role == ATSPI_ROLE_TABLE_CELL && states.focusable && name.empty() &&
        atspi_accessible_get_child_count(object, nullptr) == 0)
        walk.problems.push_back("a table cell that takes the focus without a name");
    if (role == ATSPI_ROLE_PAGE_TAB_LIST) {
        walk.tabLists.emplace_back(ATSPI_ACCESSIBLE(g_object_ref(object)));
        if (name.empty()) walk.problems.push_back("a tab list without a name");
    }
    if (role == ATSPI_ROLE_LABEL && states.focusable)
        walk.problems.push_back("a label that takes the focus \"" + name + "\"");
    if ((states.focusable || comboBox) && role != ATSPI_ROLE_LABEL && !container) {
        Control control{name, description, describe(object), "", comboBox, ATSPI_OBJECT(object)->path};
        if (comboBox) {
            control.value = shownValue(object);
            walk.controls.push_back(std::move(control));
            return true;  // its menu is not on screen
        }
        walk.controls.push_back(std::move(control));
    }
    bool focusWithin = false;
    for (Accessible& child : childrenOf(object)) focusWithin = collect(walk, child.get()) || focusWithin;
    // A scroll pane takes the focus itself when nothing inside it can (text only): a keyboard stop
    // of its own, heard by its name.
    if (role == ATSPI_ROLE_SCROLL_PANE && states.focusable && !focusWithin && name.empty())
        walk.problems.push_back("a scroll pane that takes the focus itself without a name");
    return states.focusable || focusWithin;
}

std::vector<std::string> problemsOf(const std::vector<Control>& controls) {
    std::vector<std::string> problems;
    std::map<std::pair<std::string, std::string>, int> uses;
    std::set<std::string> read;
    for (const Control& control : controls) {
        if (!read.insert(control.path).second) continue;
        if (control.name.empty()) {
            problems.push_back(
                "a " + control.role + " without a name" +
                (control.description.empty() ? "" : " (described \"" + control.description + "\")"));
            continue;
        }
        if (control.comboBox && control.name == control.value)
            problems.push_back("a drop-down named by its value \"" + control.name + "\"");
        ++uses[{control.name, control.description}];
    }
    for (const auto& [key, count] : uses)
        if (count > 1)
            problems.push_back(std::to_string(count) + " controls named \"" + key.first + "\"" +
                               (key.second.empty() ? "" : " described \"" + key.second + "\""));
    return problems;
}

// Runs the main context (where the bridge's replies and events arrive) for a moment.
void settle() {
    const auto until = Clock::now() + std::chrono::milliseconds(100);
    while (Clock::now() < until) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// The menu item highlighted last, from the events a menu sends as the highlight moves.
Accessible lastMenuItem;

void noteHighlight(const AtspiEvent* event) {
    if (!event->detail1 || !event->source) return;
    const AtspiRole role = atspi_accessible_get_role(event->source, nullptr);
    // An item that opens a submenu reads as a menu.
    if (role == ATSPI_ROLE_MENU_ITEM || role == ATSPI_ROLE_CHECK_MENU_ITEM || role == ATSPI_ROLE_MENU)
        lastMenuItem = Accessible(ATSPI_ACCESSIBLE(g_object_ref(event->source)));
}

bool matches(const std::string& name, const std::string& pattern);

// The object that took the focus last, as the events of its state tell it.
Accessible lastFocused;

void noteFocus(const AtspiEvent* event) {
    if (event->detail1 && event->source) lastFocused = Accessible(ATSPI_ACCESSIBLE(g_object_ref(event->source)));
}

// What was heard chosen since the last key: the active descendants reported, and the objects that
// took the focus or the selection.
std::vector<Accessible> heardChosen;

void noteChosen(const AtspiEvent* event) {
    if (std::strcmp(event->type, "object:active-descendant-changed") == 0) {
        if (G_VALUE_HOLDS(&event->any_data, ATSPI_TYPE_ACCESSIBLE))
            if (auto* child = static_cast<AtspiAccessible*>(g_value_get_object(&event->any_data)))
                heardChosen.emplace_back(ATSPI_ACCESSIBLE(g_object_ref(child)));
        return;
    }
    if (event->detail1 && event->source) heardChosen.emplace_back(ATSPI_ACCESSIBLE(g_object_ref(event->source)));
}

// Waits until an item named `name` was heard chosen, and reads whether the list holding it is named.
bool chosenReads(const std::string& name) {
    const auto deadline = Clock::now() + kStepLimit;
    while (Clock::now() < deadline) {
        for (const Accessible& item : heardChosen) {
            if (!matches(nameOf(item.get()), name)) continue;
            Accessible above(atspi_accessible_get_parent(item.get(), nullptr));
            for (int depth = 0; above && depth < 3; ++depth) {
                const AtspiRole role = atspi_accessible_get_role(above.get(), nullptr);
                if (role == ATSPI_ROLE_LIST_BOX || role == ATSPI_ROLE_LIST || role == ATSPI_ROLE_TREE_TABLE ||
                    role == ATSPI_ROLE_TABLE) {
                    if (!nameOf(above.get()).empty()) return true;
                    std::printf("chosen: \"%s\" is heard in a %s without a name\n", nameOf(item.get()).c_str(),
                                describe(above.get()).c_str());
                    return false;
                }
                above = Accessible(atspi_accessible_get_parent(above.get(), nullptr));
            }
            return true;
        }
        settle();
    }
    std::printf("chosen: nothing named \"%s\" was heard chosen (%zu heard:", name.c_str(), heardChosen.size());
    for (const Accessible& item : heardChosen)
        std::printf(" a %s \"%s\"", describe(item.get()).c_str(), nameOf(item.get()).c_str());
    std::printf(")\n");
    return false;
}

// The name a screen reader says as the focus arrives: the object's own. The toolkit's drop-down
// gives the focus to a nameless button inside it (a plain GTK drop-down does the same), which a
// reader can only present by the drop-down around it.
std::string focusName(AtspiAccessible* object) {
    std::string name = nameOf(object);
    if (!name.empty() || atspi_accessible_get_role(object, nullptr) != ATSPI_ROLE_TOGGLE_BUTTON) return name;
    Accessible above(atspi_accessible_get_parent(object, nullptr));
    for (int depth = 0; above && depth < 3; ++depth) {
        if (atspi_accessible_get_role(above.get(), nullptr) == ATSPI_ROLE_COMBO_BOX) return nameOf(above.get());
        above = Accessible(atspi_accessible_get_parent(above.get(), nullptr));
    }
    return name;
}

bool focusReads(const std::string& name) {
    const auto deadline = Clock::now() + kStepLimit;
    while (Clock::now() < deadline) {
        if (lastFocused && matches(focusName(lastFocused.get()), name)) return true;
        settle();
    }
    if (lastFocused)
        std::printf("focused: a %s \"%s\", not \"%s\"\n", describe(lastFocused.get()).c_str(),
                    focusName(lastFocused.get()).c_str(), name.c_str());
    else
        std::printf("focused: nothing took the focus, not \"%s\"\n", name.c_str());
    return false;
}

bool pressMenuItem(const std::string& name) {
    const auto deadline = Clock::now() + kStepLimit;
    while (Clock::now() < deadline) {
        if (lastMenuItem) {
            Accessible menu(atspi_accessible_get_parent(lastMenuItem.get(), nullptr));
            for (Accessible& item : menu ? childrenOf(menu.get()) : std::vector<Accessible>{})
                if (nameOf(item.get()) == name) {
                    Ref<AtspiAction> action(atspi_accessible_get_action_iface(item.get()));
                    return action && atspi_action_do_action(action.get(), 0, nullptr);
                }
        }
        settle();
    }
    std::printf("no focused menu with an item named \"%s\"\n", name.c_str());
    return false;
}

bool menuFits(const std::string& spec) {
    const auto at = spec.rfind('@');
    int x = 0, y = 0, width = 0, height = 0;
    if (at == std::string::npos || std::sscanf(spec.c_str() + at + 1, "%d,%d,%d,%d", &x, &y, &width, &height) != 4) {
        std::printf("fits: \"%s\" is not NAME@X,Y,W,H\n", spec.c_str());
        return false;
    }
    const std::string name = spec.substr(0, at);
    const auto deadline = Clock::now() + kStepLimit;
    while (Clock::now() < deadline) {
        // The menu of the highlighted item, or the submenu it opened when nothing in that can be
        // highlighted (every item off).
        std::vector<Accessible> items;
        auto holds = [&] {
            for (Accessible& item : items)
                if (nameOf(item.get()) == name) return true;
            return false;
        };
        if (lastMenuItem) {
            Accessible menu(atspi_accessible_get_parent(lastMenuItem.get(), nullptr));
            if (menu) items = childrenOf(menu.get());
            if (!holds()) items = childrenOf(lastMenuItem.get());
        }
        if (!holds()) {
            settle();
            continue;
        }
        bool fits = true;
        for (Accessible& item : items) {
            Ref<AtspiComponent> component(atspi_accessible_get_component_iface(item.get()));
            AtspiRect* box = component ? atspi_component_get_extents(component.get(), ATSPI_COORD_TYPE_SCREEN, nullptr)
                                       : nullptr;
            if (!box) continue;
            if (box->x < x || box->y < y || box->x + box->width > x + width || box->y + box->height > y + height ||
                box->width <= 0 || box->height <= 0) {
                std::printf("%s: the %s \"%s\" lies at %d,%d %dx%d\n", name.c_str(), describe(item.get()).c_str(),
                            nameOf(item.get()).c_str(), box->x, box->y, box->width, box->height);
                fits = false;
            }
            g_free(box);
        }
        std::printf("%s: %zu items read\n", name.c_str(), items.size());
        return fits;
    }
    std::printf("no highlighted menu with an item named \"%s\"\n", name.c_str());
    return false;
}

Accessible findApplication(unsigned pid) {
    Accessible desktop(atspi_get_desktop(0));
    atspi_accessible_clear_cache(desktop.get());
    for (Accessible& application : childrenOf(desktop.get()))
        if (atspi_accessible_get_process_id(application.get(), nullptr) == pid) return std::move(application);
    return {};
}

// The first showing object under `object` that `wanted` accepts, in tree order; with `read`, the
// first of those a walk reads (scrolled out of sight or not).
template <typename Predicate>
Accessible findShowing(AtspiAccessible* application, AtspiAccessible* object, const Predicate& wanted,
                       bool read = false) {
    if (!ours(object, application)) return {};
    const States states = statesOf(object);
    if (read ? !states.visible ||
                   (atspi_accessible_get_role(object, nullptr) == ATSPI_ROLE_PAGE_TAB && !states.selected)
             : !states.showing)
        return {};
    if (wanted(object)) return Accessible(ATSPI_ACCESSIBLE(g_object_ref(object)));
    for (Accessible& child : childrenOf(object))
        if (Accessible found = findShowing(application, child.get(), wanted, read)) return found;
    return {};
}

// The title of the window the steps look in (set by "in=TITLE"); empty: every window.
std::string scope;

bool inScope(AtspiAccessible* window) { return scope.empty() || matches(nameOf(window), scope); }

template <typename Predicate>
Accessible waitForShowing(AtspiAccessible* application, const Predicate& wanted) {
    const auto deadline = Clock::now() + kStepLimit;
    while (Clock::now() < deadline) {
        atspi_accessible_clear_cache(application);
        for (Accessible& window : childrenOf(application))
            if (!inScope(window.get())) continue;
            else if (Accessible found = findShowing(application, window.get(), wanted)) return found;
        settle();
    }
    return {};
}

// Whether `name` is `pattern`, or begins with it when the pattern ends in "*".
bool matches(const std::string& name, const std::string& pattern) {
    return pattern.ends_with('*') ? name.starts_with(pattern.substr(0, pattern.size() - 1)) : name == pattern;
}

Accessible control(AtspiAccessible* application, const std::string& name) {
    Accessible found = waitForShowing(application, [&](AtspiAccessible* object) {
        if (!matches(nameOf(object), name)) return false;
        Ref<AtspiAction> action(atspi_accessible_get_action_iface(object));
        return action && atspi_action_get_n_actions(action.get(), nullptr) > 0;
    });
    if (!found) std::printf("no showing control named \"%s\" with an action\n", name.c_str());
    return found;
}

bool focus(AtspiAccessible* application, const std::string& name) {
    Accessible control = ::control(application, name);
    Ref<AtspiComponent> component(control ? atspi_accessible_get_component_iface(control.get()) : nullptr);
    if (component && atspi_component_grab_focus(component.get(), nullptr)) return true;
    // A grid's tile takes the focus through the cell around it, which carries its name but no action.
    Accessible cell = waitForShowing(application, [&](AtspiAccessible* object) {
        return matches(nameOf(object), name) && statesOf(object).focusable;
    });
    Ref<AtspiComponent> focusable(cell ? atspi_accessible_get_component_iface(cell.get()) : nullptr);
    if (focusable && atspi_component_grab_focus(focusable.get(), nullptr)) return true;
    std::printf("focus: nothing named \"%s\" takes the focus\n", name.c_str());
    return false;
}

bool selectFirstRow(AtspiAccessible* application, const std::string& name) {
    Accessible table = waitForShowing(application, [&](AtspiAccessible* object) {
        if (!matches(nameOf(object), name)) return false;
        Ref<AtspiTable> rows(atspi_accessible_get_table_iface(object));
        return rows && atspi_table_get_n_rows(rows.get(), nullptr) > 0;
    });
    Ref<AtspiTable> rows(table ? atspi_accessible_get_table_iface(table.get()) : nullptr);
    if (rows && atspi_table_add_row_selection(rows.get(), 0, nullptr)) return true;
    std::printf("no showing table named \"%s\" with a row to select\n", name.c_str());
    return false;
}

bool press(AtspiAccessible* application, const std::string& name) {
    Accessible control = ::control(application, name);
    if (!control) return false;
    Ref<AtspiAction> action(atspi_accessible_get_action_iface(control.get()));
    GError* error = nullptr;
    if (!atspi_action_do_action(action.get(), 0, &error)) {
        std::printf("press: \"%s\" refused: %s\n", name.c_str(), error ? error->message : "?");
        g_clear_error(&error);
        return false;
    }
    return true;
}

// The first menu item named `name` under `object`, shown or not: a screen reader lists the items of
// a menu button's menu without opening it.
Accessible findMenuItem(AtspiAccessible* application, AtspiAccessible* object, const std::string& name) {
    if (!ours(object, application)) return {};
    const AtspiRole role = atspi_accessible_get_role(object, nullptr);
    if ((role == ATSPI_ROLE_MENU_ITEM || role == ATSPI_ROLE_CHECK_MENU_ITEM || role == ATSPI_ROLE_RADIO_MENU_ITEM) &&
        matches(nameOf(object), name))
        return Accessible(ATSPI_ACCESSIBLE(g_object_ref(object)));
    for (Accessible& child : childrenOf(object))
        if (Accessible found = findMenuItem(application, child.get(), name)) return found;
    return {};
}

// Performs the action of the menu item named `name` of a control's menu that is not open, as a
// screen reader chooses it from the control's list of items.
bool chooseItem(AtspiAccessible* application, const std::string& name) {
    const auto deadline = Clock::now() + kStepLimit;
    while (Clock::now() < deadline) {
        atspi_accessible_clear_cache(application);
        for (Accessible& window : childrenOf(application)) {
            if (!statesOf(window.get()).showing || !inScope(window.get())) continue;
            Accessible item = findMenuItem(application, window.get(), name);
            if (!item) continue;
            Ref<AtspiAction> action(atspi_accessible_get_action_iface(item.get()));
            return action && atspi_action_do_action(action.get(), 0, nullptr);
        }
        settle();
    }
    std::printf("no showing window holds a menu item named \"%s\"\n", name.c_str());
    return false;
}

// Selects the page tab named `name` of the first showing tab list that holds one, as a click on it
// does, and waits until its page shows.
bool selectTab(AtspiAccessible* application, const std::string& name) {
    Accessible tabs = waitForShowing(application, [&](AtspiAccessible* object) {
        if (atspi_accessible_get_role(object, nullptr) != ATSPI_ROLE_PAGE_TAB_LIST) return false;
        for (Accessible& tab : childrenOf(object))
            if (matches(nameOf(tab.get()), name)) return true;
        return false;
    });
    Ref<AtspiSelection> selection(tabs ? atspi_accessible_get_selection_iface(tabs.get()) : nullptr);
    std::vector<Accessible> children = tabs ? childrenOf(tabs.get()) : std::vector<Accessible>{};
    for (std::size_t index = 0; selection && index < children.size(); ++index) {
        if (!matches(nameOf(children[index].get()), name)) continue;
        if (!atspi_selection_select_child(selection.get(), static_cast<int>(index), nullptr)) break;
        const auto deadline = Clock::now() + kStepLimit;
        for (; Clock::now() < deadline; settle()) {
            atspi_accessible_clear_cache(children[index].get());
            if (statesOf(children[index].get()).selected) return true;
        }
        break;
    }
    std::printf("no showing tab named \"%s\" could be selected\n", name.c_str());
    return false;
}

// The index of the action named `name` of `object`, or -1.
int actionNamed(AtspiAccessible* object, const std::string& name) {
    Ref<AtspiAction> action(atspi_accessible_get_action_iface(object));
    const int count = action ? atspi_action_get_n_actions(action.get(), nullptr) : 0;
    for (int index = 0; index < count; ++index)
        if (taken(atspi_action_get_action_name(action.get(), index, nullptr)) == name) return index;
    return -1;
}

// Performs the action "activate" of the first showing object named `name` that has one (a list's
// cell, which a screen reader activates as Return does).
bool activate(AtspiAccessible* application, const std::string& name) {
    Accessible found = waitForShowing(application, [&](AtspiAccessible* object) {
        return matches(nameOf(object), name) && actionNamed(object, "activate") >= 0;
    });
    Ref<AtspiAction> action(found ? atspi_accessible_get_action_iface(found.get()) : nullptr);
    if (action && atspi_action_do_action(action.get(), actionNamed(found.get(), "activate"), nullptr)) return true;
    std::printf("nothing showing named \"%s\" can be activated\n", name.c_str());
    return false;
}

// Waits until the window named `name` is the toolkit's active one: the window manager says so first,
// and a command sent over the bus meanwhile would find no window in use.
bool becomesActive(AtspiAccessible* application, const std::string& name) {
    const auto deadline = Clock::now() + kStepLimit;
    while (Clock::now() < deadline) {
        atspi_accessible_clear_cache(application);
        for (Accessible& window : childrenOf(application)) {
            if (!matches(nameOf(window.get()), name)) continue;
            AtspiStateSet* states = atspi_accessible_get_state_set(window.get());
            const bool active = states && atspi_state_set_contains(states, ATSPI_STATE_ACTIVE);
            if (states) g_object_unref(states);
            if (active) return true;
        }
        settle();
    }
    std::printf("%s: no such window is active\n", name.c_str());
    return false;
}

// Waits until the showing control named `name` reads as a toggle button that is pressed, or not.
bool toggleReads(AtspiAccessible* application, const std::string& name, bool pressed) {
    const auto deadline = Clock::now() + kStepLimit;
    std::string found = "no showing control";
    while (Clock::now() < deadline) {
        atspi_accessible_clear_cache(application);
        for (Accessible& window : childrenOf(application)) {
            Accessible control = findShowing(application, window.get(), [&](AtspiAccessible* object) {
                return matches(nameOf(object), name);
            });
            if (!control) continue;
            if (atspi_accessible_get_role(control.get(), nullptr) != ATSPI_ROLE_TOGGLE_BUTTON)
                found = "a " + describe(control.get()) + ", not a toggle button";
            else if (statesOf(control.get()).pressed == pressed)
                return true;
            else
                found = pressed ? "a toggle button that is not pressed" : "a toggle button that is pressed";
            break;
        }
        settle();
    }
    std::printf("\"%s\": %s\n", name.c_str(), found.c_str());
    return false;
}

void dump(AtspiAccessible* object, int depth, int limit) {
    const States states = statesOf(object);
    std::printf("%*s%s \"%s\"%s%s\n", depth * 2, "", describe(object).c_str(), nameOf(object).c_str(),
                states.showing ? " showing" : "", states.focusable ? " focusable" : "");
    if (depth < limit)
        for (Accessible& child : childrenOf(object)) dump(child.get(), depth + 1, limit);
}

// Opens every collapsed section of the window, as a person reading all of it does (a drop-down
// expands too, but into its menu: those are left alone).
void expandSections(AtspiAccessible* application, AtspiAccessible* window) {
    std::set<std::string> opened;
    for (int round = 0; round < 20; ++round) {
        atspi_accessible_clear_cache(application);
        Accessible section = findShowing(
            application, window,
            [&](AtspiAccessible* object) {
                return statesOf(object).collapsed &&
                       atspi_accessible_get_role(object, nullptr) != ATSPI_ROLE_COMBO_BOX &&
                       !opened.count(ATSPI_OBJECT(object)->path);
            },
            true);
        if (!section) return;
        opened.insert(ATSPI_OBJECT(section.get())->path);
        Ref<AtspiAction> action(atspi_accessible_get_action_iface(section.get()));
        if (action) atspi_action_do_action(action.get(), 0, nullptr);
        settle();
    }
}

Walk walkOnce(AtspiAccessible* application, AtspiAccessible* window) {
    expandSections(application, window);
    atspi_accessible_clear_cache(application);
    Walk walk;
    walk.application = application;
    collect(walk, window);
    if (g_getenv("ATSPI_WALK_VERBOSE")) {
        std::printf("-- %s\n", nameOf(window).c_str());
        for (const Control& control : walk.controls)
            std::printf("  %s \"%s\" \"%s\" [%s]\n", control.role.c_str(), control.name.c_str(),
                        control.description.c_str(), control.value.c_str());
    }
    return walk;
}

// Whether a window of the application titled `title` is showing.
bool windowShowing(AtspiAccessible* application, const std::string& title) {
    atspi_accessible_clear_cache(application);
    for (Accessible& window : childrenOf(application))
        if (statesOf(window.get()).showing && matches(nameOf(window.get()), title)) return true;
    return false;
}

// Follows a window from its showing to its going, hearing every change meanwhile: the toolkit's
// bridge then tells of each object that changes, asking its name (a window taken apart is asked
// about its parts as they go).
bool followThrough(AtspiAccessible* application, const std::string& title) {
    AtspiEventListener* reader = atspi_event_listener_new_simple([](const AtspiEvent*) {}, nullptr);
    atspi_event_listener_register(reader, "object:", nullptr);
    std::printf("%s: listening\n", title.c_str());
    std::fflush(stdout);
    auto within = [](const auto& condition) {
        const auto deadline = Clock::now() + kStepLimit;
        for (; Clock::now() < deadline; settle())
            if (condition()) return true;
        return false;
    };
    const bool shown = within([&] { return windowShowing(application, title); });
    // Whoever closes the window waits for this: gone before it was read, it was never followed.
    if (shown) std::printf("%s: shown\n", title.c_str());
    std::fflush(stdout);
    const bool gone = shown && within([&] { return !windowShowing(application, title); });
    // The last changes of the window's going arrive after it stopped showing.
    settle();
    atspi_event_listener_deregister(reader, "object:", nullptr);
    g_object_unref(reader);
    if (!shown) std::printf("%s: no such window showed\n", title.c_str());
    if (shown && !gone) std::printf("%s: the window did not go\n", title.c_str());
    return shown && gone;
}

// The texts of the labels under `object`.
void collectTexts(AtspiAccessible* object, std::vector<std::string>& texts) {
    if (atspi_accessible_get_role(object, nullptr) == ATSPI_ROLE_LABEL) texts.push_back(nameOf(object));
    for (Accessible& child : childrenOf(object)) collectTexts(child.get(), texts);
}

// Whether a text tells of something that went wrong.
bool tellsOfFailure(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* words : {"could not", "couldn't", "couldn\u2019t", "cannot", "can't", "failed", "unavailable"})
        if (text.find(words) != std::string::npos) return true;
    return false;
}

// An alert is announced by its name, its heading as in its window title, then by its kind
// ("Information", "Warning", "Error", "Question"), which the toolkit gives it as its name and the
// application moves to its description: an alert named by its kind alone is heard as "Warning"
// whatever it asks, and a failure announced as information is not heard as one.
void judgeAlert(AtspiAccessible* alert, std::set<std::string>& problems) {
    if (atspi_accessible_get_role(alert, nullptr) != ATSPI_ROLE_ALERT) return;
    const std::string name = nameOf(alert);
    const std::string kind = taken(atspi_accessible_get_description(alert, nullptr));
    std::vector<std::string> texts;
    collectTexts(alert, texts);
    if (!texts.empty() && name != texts.front())
        problems.insert("an alert named \"" + name + "\", not by its heading \"" + texts.front() + "\"");
    if (kind == "Error" || kind == "Warning") return;
    for (const std::string& text : texts)
        if (tellsOfFailure(text)) {
            problems.insert("a failure announced as \"" + kind + "\": \"" + text + "\"");
            return;
        }
}

bool walkWindow(AtspiAccessible* application, AtspiAccessible* window, const std::string& title);

// Reads the window, then each page of its first tab lists: the tab selected, its page read once it shows.
bool walkWindow(AtspiAccessible* application, const std::string& title) {
    Accessible window = waitForShowing(application, [&](AtspiAccessible* object) {
        const AtspiRole role = atspi_accessible_get_role(object, nullptr);
        if (role != ATSPI_ROLE_FRAME && role != ATSPI_ROLE_DIALOG && role != ATSPI_ROLE_WINDOW) return false;
        return matches(nameOf(object), title);
    });
    if (!window) {
        std::printf("%s: no such window is showing\n", title.c_str());
        return false;
    }
    return walkWindow(application, window.get(), title);
}

// Reads the showing alert (a message dialog) that holds a text `text` (ending in "*": beginning so).
bool walkAlert(AtspiAccessible* application, const std::string& text) {
    Accessible alert = waitForShowing(application, [&](AtspiAccessible* object) {
        if (atspi_accessible_get_role(object, nullptr) != ATSPI_ROLE_ALERT) return false;
        std::vector<std::string> texts;
        collectTexts(object, texts);
        return std::any_of(texts.begin(), texts.end(), [&](const std::string& shown) { return matches(shown, text); });
    });
    if (!alert) {
        std::printf("%s: no such alert is showing\n", text.c_str());
        return false;
    }
    return walkWindow(application, alert.get(), text);
}

bool walkWindow(AtspiAccessible* application, AtspiAccessible* window, const std::string& title) {
    // Two controls of one name are told apart by nothing, whichever tab page each is on: the
    // controls of every page are judged together.
    std::set<std::string> problems;
    judgeAlert(window, problems);
    std::size_t pages = 1;
    Walk first = walkOnce(application, window);
    std::vector<Control> controls = first.controls;
    problems.insert(first.problems.begin(), first.problems.end());
    for (Accessible& tabList : first.tabLists) {
        Ref<AtspiSelection> selection(atspi_accessible_get_selection_iface(tabList.get()));
        if (!selection) continue;
        const int tabs = atspi_accessible_get_child_count(tabList.get(), nullptr);
        for (int index = 0; index < tabs; ++index) {
            Accessible tab(atspi_accessible_get_child_at_index(tabList.get(), index, nullptr));
            if (!tab || statesOf(tab.get()).selected) continue;
            const std::string tabName = nameOf(tab.get());
            atspi_selection_select_child(selection.get(), index, nullptr);
            const auto deadline = Clock::now() + kStepLimit;
            while (Clock::now() < deadline &&
                   !(atspi_accessible_clear_cache(tab.get()), statesOf(tab.get()).selected))
                settle();
            settle();
            Walk page = walkOnce(application, window);
            ++pages;
            controls.insert(controls.end(), page.controls.begin(), page.controls.end());
            for (const std::string& problem : page.problems)
                if (!problems.count(problem)) problems.insert("(" + tabName + ") " + problem);
        }
    }
    for (std::string& problem : problemsOf(controls)) problems.insert(std::move(problem));
    std::printf("%s: %zu controls on %zu pages read\n", title.c_str(), controls.size(), pages);

    for (const std::string& problem : problems) std::printf("%s: %s\n", title.c_str(), problem.c_str());
    return problems.empty();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: atspi_walk PID "
                     "in=TITLE|press=NAME|activate=NAME|tab=NAME|focus=NAME|focused=NAME|active=TITLE|pressed=NAME|released=NAME|row=NAME|key=KEYSYM|chosen=NAME|item=NAME|menu=NAME|fits=NAME@X,Y,W,H|"
                     "walk=TITLE|through=TITLE|alert=TEXT|list|dump=DEPTH...\n");
        return 2;
    }
    const unsigned pid = static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10));
    if (atspi_init() < 0) {
        std::printf("no accessibility bus\n");
        return 1;
    }
    atspi_set_timeout(10000, 20000);
    AtspiEventListener* highlights = atspi_event_listener_new_simple(noteHighlight, nullptr);
    atspi_event_listener_register(highlights, "object:state-changed:selected", nullptr);
    atspi_event_listener_register(highlights, "object:state-changed:focused", nullptr);
    AtspiEventListener* focusEvents = atspi_event_listener_new_simple(noteFocus, nullptr);
    atspi_event_listener_register(focusEvents, "object:state-changed:focused", nullptr);
    AtspiEventListener* chosenEvents = atspi_event_listener_new_simple(noteChosen, nullptr);
    for (const char* kind :
         {"object:active-descendant-changed", "object:state-changed:focused", "object:state-changed:selected"})
        atspi_event_listener_register(chosenEvents, kind, nullptr);
    Accessible application;
    const auto deadline = Clock::now() + kStepLimit;
    while (!(application = findApplication(pid)) && Clock::now() < deadline) settle();
    if (!application) {
        std::printf("process %u is not on the accessibility bus\n", pid);
        return 1;
    }
    bool passed = true;
    for (int index = 2; index < argc; ++index) {
        const std::string step = argv[index];
        if (step.rfind("press=", 0) == 0) {
            if (!press(application.get(), step.substr(6))) return 1;
        } else if (step.rfind("focus=", 0) == 0) {
            if (!focus(application.get(), step.substr(6))) return 1;
        } else if (step.rfind("focused=", 0) == 0) {
            if (!focusReads(step.substr(8))) return 1;
        } else if (step.rfind("active=", 0) == 0) {
            if (!becomesActive(application.get(), step.substr(7))) return 1;
        } else if (step.rfind("pressed=", 0) == 0 || step.rfind("released=", 0) == 0) {
            const bool pressed = step[0] == 'p';
            if (!toggleReads(application.get(), step.substr(step.find('=') + 1), pressed)) return 1;
        } else if (step.rfind("key=", 0) == 0) {
            const guint keysym = static_cast<guint>(std::strtoul(step.c_str() + 4, nullptr, 0));
            heardChosen.clear();
            if (!atspi_generate_keyboard_event(keysym, nullptr, ATSPI_KEY_SYM, nullptr)) return 1;
        } else if (step.rfind("row=", 0) == 0) {
            if (!selectFirstRow(application.get(), step.substr(4))) return 1;
        } else if (step.rfind("chosen=", 0) == 0) {
            passed = chosenReads(step.substr(7)) && passed;
        } else if (step.rfind("activate=", 0) == 0) {
            if (!activate(application.get(), step.substr(9))) return 1;
        } else if (step.rfind("tab=", 0) == 0) {
            if (!selectTab(application.get(), step.substr(4))) return 1;
        } else if (step.rfind("in=", 0) == 0) {
            scope = step.substr(3);
        } else if (step.rfind("item=", 0) == 0) {
            if (!chooseItem(application.get(), step.substr(5))) return 1;
        } else if (step.rfind("menu=", 0) == 0) {
            if (!pressMenuItem(step.substr(5))) return 1;
        } else if (step.rfind("fits=", 0) == 0) {
            passed = menuFits(step.substr(5)) && passed;
        } else if (step.rfind("through=", 0) == 0) {
            if (!followThrough(application.get(), step.substr(8))) return 1;
        } else if (step == "list") {
            atspi_accessible_clear_cache(application.get());
            for (Accessible& window : childrenOf(application.get()))
                if (statesOf(window.get()).showing)
                    std::printf("window \"%s\" (%s)\n", nameOf(window.get()).c_str(),
                                describe(window.get()).c_str());
        } else if (step.rfind("dump=", 0) == 0) {
            atspi_accessible_clear_cache(application.get());
            dump(application.get(), 0, std::atoi(step.c_str() + 5));
        } else if (step.rfind("alert=", 0) == 0) {
            passed = walkAlert(application.get(), step.substr(6)) && passed;
        } else if (step.rfind("walk=", 0) == 0) {
            passed = walkWindow(application.get(), step.substr(5)) && passed;
        } else {
            std::fprintf(stderr, "atspi_walk: unknown step %s\n", step.c_str());
            return 2;
        }
        std::fflush(stdout);
    }
    return passed ? 0 : 1;
}
