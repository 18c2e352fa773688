#include "ui/defunct_accessibles.hpp"

#include <array>
#include <cstddef>
#include <utility>

#include <gtk/gtk-a11y.h>
#include <gtk/gtk.h>

namespace quenlith {

namespace {

bool defunct(AtkObject* object) {
    return !gtk_accessible_get_widget(GTK_ACCESSIBLE(object));
}

// The functions one toolkit class had, called only while the object's widget lives. Each class
// gets guards of its own: a subclass's function calls its parent class's through the parent's
// slot, and that call must end in the parent's own function, not in the subclass's again.
template <std::size_t Class>
struct Guarded {
    static inline AtkStateSet* (*states)(AtkObject*) = nullptr;
    static inline gint (*childCount)(AtkObject*) = nullptr;
    static inline AtkObject* (*child)(AtkObject*, gint) = nullptr;
    static inline AtkAttributeSet* (*attributes)(AtkObject*) = nullptr;

    static AtkStateSet* refStates(AtkObject* object) {
        if (!defunct(object)) return states(object);
        AtkStateSet* set = atk_state_set_new();
        atk_state_set_add_state(set, ATK_STATE_DEFUNCT);
        return set;
    }
    static gint countChildren(AtkObject* object) { return defunct(object) ? 0 : childCount(object); }
    static AtkObject* refChild(AtkObject* object, gint index) {
        return defunct(object) ? nullptr : child(object, index);
    }
    static AtkAttributeSet* readAttributes(AtkObject* object) {
        return defunct(object) ? nullptr : attributes(object);
    }
};

// Puts `guard` in `slot` of the class of `type` and of each class below it made so far that still
// holds `original` there; a class made later copies its parent's slot, the guard with it.
template <typename Function>
void replaceBelow(GType type, Function AtkObjectClass::*slot, Function original, Function guard) {
    if (auto* klass = static_cast<AtkObjectClass*>(g_type_class_peek(type));
        klass && klass->*slot == original)
        klass->*slot = guard;
    guint count = 0;
    GType* children = g_type_children(type, &count);
    for (guint index = 0; index < count; ++index) replaceBelow(children[index], slot, original, guard);
    g_free(children);
}

template <std::size_t Class>
void guard(GType type) {
    using Guard = Guarded<Class>;
    // Referenced for the life of the process: the class keeps the guards.
    auto* klass = ATK_OBJECT_CLASS(g_type_class_ref(type));
    auto wrap = [&](auto slot, auto& original, auto replacement) {
        original = klass->*slot;
        if (original) replaceBelow(type, slot, original, replacement);
    };
    wrap(&AtkObjectClass::ref_state_set, Guard::states, &Guard::refStates);
    wrap(&AtkObjectClass::get_n_children, Guard::childCount, &Guard::countChildren);
    wrap(&AtkObjectClass::ref_child, Guard::child, &Guard::refChild);
    wrap(&AtkObjectClass::get_attributes, Guard::attributes, &Guard::readAttributes);
}

template <std::size_t... Class>
void guardEach(const std::array<GType, sizeof...(Class)>& types, std::index_sequence<Class...>) {
    (guard<Class>(types[Class]), ...);
}

}  // namespace

void keepDefunctAccessiblesReadable() {
    static bool kept = false;
    if (kept) return;
    kept = true;
    // The classes whose own functions fail once the widget has gone (the toggle button's as well
    // as the button's, whose class is above it); their subclasses reach them through these slots.
    const std::array types{GTK_TYPE_BUTTON_ACCESSIBLE,          GTK_TYPE_TOGGLE_BUTTON_ACCESSIBLE,
                           GTK_TYPE_CHECK_MENU_ITEM_ACCESSIBLE, GTK_TYPE_ENTRY_ACCESSIBLE,
                           GTK_TYPE_EXPANDER_ACCESSIBLE,        GTK_TYPE_LABEL_ACCESSIBLE,
                           GTK_TYPE_POPOVER_ACCESSIBLE,         GTK_TYPE_WINDOW_ACCESSIBLE};
    guardEach(types, std::make_index_sequence<std::tuple_size_v<decltype(types)>>());
}

}  // namespace quenlith
