#include "windows/rename_scene_alert.hpp"

#include <glibmm/main.h>
#include <gtkmm/entry.h>
#include <gtkmm/messagedialog.h>

#include "model/localization.hpp"
#include "model/page_group_text.hpp"
#include "ui/alert.hpp"
#include "ui/form_rows.hpp"
#include "ui/message_dialog.hpp"

namespace quenlith {

namespace {

constexpr int kSaveResponse = 1000;

Gtk::Window* activeWindow() {
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        if (window->get_visible() && window->is_active()) return window;
    return nullptr;
}

}  // namespace

void presentRenameAlert(const BrowserScene& scene,
                        std::function<void(const Uuid&, const std::string&)> rename, Gtk::Window* keyWindow) {
    Gtk::Window* window = keyWindow ? keyWindow : activeWindow();
    if (!window || !window->get_visible() || hasAttachedSheet(*window)) return;
    // Attached: lives until answered, then deletes itself.
    Gtk::MessageDialog* sheet =
        makeMessageDialog(Gtk::MESSAGE_QUESTION, localizedString("Rename Page Group"), "", window).release();
    auto* field = Gtk::manage(new Gtk::Entry());
    titleByPlaceholder(*field, localizedString("Page Group Name"));
    field->set_text(scene.name);
    field->set_size_request(300, 24);
    field->set_activates_default(true);
    sheet->get_message_area()->pack_start(*field, Gtk::PACK_SHRINK);
    field->show();
    sheet->add_button(localizedString("Save"), kSaveResponse);
    sheet->add_button(localizedString("Cancel"), Gtk::RESPONSE_CANCEL);
    sheet->set_default_response(kSaveResponse);
    const Uuid sceneID = scene.id;
    sheet->signal_response().connect([sheet, field, sceneID, rename = std::move(rename)](int response) {
        if (response == kSaveResponse)
            if (auto name = renamedSceneName(field->get_text().raw()); name && rename) rename(sceneID, *name);
        sheet->hide();
        Glib::signal_idle().connect_once([sheet] { delete sheet; });
    });
    sheet->show();
}

}  // namespace quenlith
