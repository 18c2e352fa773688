#include "windows/edge_handle_view.hpp"

#include <cmath>

#include <atkmm/object.h>
#include <gdkmm/screen.h>
#include <gtkmm/cssprovider.h>

#include "ui/form_rows.hpp"
#include "ui/rounded_rectangle.hpp"

namespace quenlith {

EdgeHandleView::EdgeHandleView(std::function<void()> onEnter, std::function<void()> onClick)
    : Gtk::Window(Gtk::WINDOW_POPUP), onEnter_(std::move(onEnter)), onClick_(std::move(onClick)) {
    set_app_paintable(true);
    // Transparent corners where a compositor can show them.
    if (auto visual = get_screen()->get_rgba_visual()) gtk_widget_set_visual(GTK_WIDGET(gobj()), visual->gobj());
    set_accept_focus(false);
    // Theme padding and minimum sizes would make the button wider than the handle.
    static const Glib::RefPtr<Gtk::CssProvider> style = [] {
        auto provider = Gtk::CssProvider::create();
        provider->load_from_data("button { padding: 0; margin: 0; border-width: 0; min-width: 0; min-height: 0; }");
        return provider;
    }();
    button_.get_style_context()->add_provider(style, GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);

    button_.set_relief(Gtk::RELIEF_NONE);
    button_.set_can_focus(false);
    button_.add_events(Gdk::ENTER_NOTIFY_MASK | Gdk::BUTTON_PRESS_MASK);
    button_.signal_draw().connect(sigc::mem_fun(*this, &EdgeHandleView::draw), false);
    button_.signal_enter_notify_event().connect(
        [this](GdkEventCrossing*) {
            if (onEnter_) onEnter_();
            return false;
        },
        false);
    // The press itself acts, as the handle is a grip rather than a push button.
    button_.signal_button_press_event().connect(
        [this](GdkEventButton* event) {
            if (event->button == 1 && onClick_) onClick_();
            return true;
        },
        false);
    // Accessibility tools and the keyboard press the button.
    button_.signal_clicked().connect([this] {
        if (onClick_) onClick_();
    });
    button_.show();
    add(button_);
}

EdgeHandleView::~EdgeHandleView() {
    onEnter_ = nullptr;
    onClick_ = nullptr;
}

void EdgeHandleView::place(const Rect& frame, const std::string& label) {
    const int width = static_cast<int>(std::lround(frame.width));
    const int height = static_cast<int>(std::lround(frame.height));
    set_size_request(width, height);
    resize(width, height);
    move(static_cast<int>(std::lround(frame.x)), static_cast<int>(std::lround(frame.y)));
    // The window's name too, so that tools which list windows find the handle by it.
    titleWindow(*this, label);
    button_.set_tooltip_text(label);
    nameControl(button_, label);
    if (auto accessible = button_.get_accessible()) accessible->set_role(Atk::ROLE_PUSH_BUTTON);
    show();
    if (auto window = get_window()) window->raise();
}

bool EdgeHandleView::draw(const Cairo::RefPtr<Cairo::Context>& cr) {
    const double width = button_.get_allocated_width();
    const double height = button_.get_allocated_height();
    cr->save();
    cr->set_operator(Cairo::OPERATOR_SOURCE);
    cr->set_source_rgba(0, 0, 0, 0);
    cr->paint();
    cr->set_operator(Cairo::OPERATOR_OVER);
    Gdk::RGBA accent;
    if (!button_.get_style_context()->lookup_color("theme_selected_bg_color", accent)) accent.set("#3584e4");
    cr->set_source_rgba(accent.get_red(), accent.get_green(), accent.get_blue(), 0.92);
    roundedRectangle(cr, 1, 1, width - 2, height - 2, 7);
    cr->fill();
    cr->set_source_rgba(1, 1, 1, 0.85);
    roundedRectangle(cr, width / 2 - 1, height / 2 - 12, 2, 24, 1);
    cr->fill();
    cr->restore();
    return true;
}

}  // namespace quenlith
