#include "browser/view/page_questions.hpp"

#include <utility>

#include <gtkmm/checkbutton.h>
#include <gtkmm/entry.h>
#include <gtkmm/filechoosernative.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include "browser/engine/gobject_ptr.hpp"
#include "browser/page/download_location_chooser.hpp"
#include "browser/page/print_dialog.hpp"
#include "model/localization.hpp"
#include "ui/asked_window.hpp"
#include "ui/message_dialog.hpp"

namespace quenlith {

struct PageQuestions::Open {
    Uuid tab;
    std::shared_ptr<Gtk::Dialog> dialog;
    Glib::RefPtr<Gtk::FileChooserNative> chooser;
    std::function<void(std::optional<int> response)> answer;
    // The dialog following its window's hiding and showing.
    std::vector<sigc::connection> windowConnections = {};
    // A print dialog (the toolkit's, which takes itself apart once answered) and its answer's handler.
    GObjectPtr<GtkWidget> printDialog = {};
    gulong printResponse = 0;
};

PageQuestions::PageQuestions(Scheduler& scheduler) : scheduler_(scheduler) {}

PageQuestions::~PageQuestions() {
    dismissAll();
}

void PageQuestions::ask(const Uuid& tab, Gtk::Window& window, Question question, Answer answer) {
    const int key = nextKey_++;
    // Not modal: a modal dialog holds the whole window, its close button and the window manager's
    // close included, and a page asking again and again would never let it go.
    std::shared_ptr<Gtk::MessageDialog> dialog = makeMessageDialog(
        Gtk::MESSAGE_QUESTION, question.title, question.message, /*parent=*/nullptr, /*modal=*/false);
    // The confirming button sits last, where this desktop puts it.
    for (std::size_t i = question.buttons.size(); i-- > 0;)
        dialog->add_button(question.buttons[i], static_cast<int>(i));
    dialog->set_default_response(0);
    Gtk::Entry* entry = nullptr;
    if (question.field) {
        entry = Gtk::manage(new Gtk::Entry());
        entry->set_text(*question.field);
        entry->set_size_request(280, 24);
        entry->set_activates_default(true);
        dialog->get_message_area()->pack_start(*entry, false, false);
        entry->show();
    }
    Gtk::CheckButton* stop = nullptr;
    if (!question.stopOffer.empty()) {
        stop = Gtk::manage(new Gtk::CheckButton(question.stopOffer));
        dialog->get_message_area()->pack_start(*stop, false, false);
        stop->show();
    }
    dialog->signal_response().connect(
        [this, key](int response) { end(key, response >= 0 ? std::optional<int>(response) : std::nullopt); });
    auto open = std::make_unique<Open>(Open{tab, dialog, {}, {}});
    // The entry and the check box belong to the dialog, which is kept until after the answer.
    open->answer = [entry, stop, answer = std::move(answer)](std::optional<int> button) {
        if (answer)
            answer({button, entry ? entry->get_text().raw() : std::string(), stop && stop->get_active()});
    };
    // A hidden window's question waits for the window; an attached one goes and comes back with it.
    const bool waits = !window.get_visible() && !gtk_widget_in_destruction(GTK_WIDGET(window.gobj()));
    if (waits || canAttachDialog(window.gobj())) {
        dialog->set_transient_for(window);
        Gtk::MessageDialog* shown = dialog.get();
        open->windowConnections.push_back(window.signal_hide().connect([shown] { shown->hide(); }));
        open->windowConnections.push_back(window.signal_show().connect([shown] { shown->show(); }));
    }
    open_[key] = std::move(open);
    if (!waits) dialog->show();
}

void PageQuestions::chooseFiles(const Uuid& tab, Gtk::Window& window, WebKitFileChooserRequest* request) {
    const int key = nextKey_++;
    // Titled as the desktop's own choosers of files to open are.
    auto chooser = Gtk::FileChooserNative::create(localizedString("Open"), Gtk::FILE_CHOOSER_ACTION_OPEN);
    if (canAttachDialog(window.gobj())) {
        chooser->set_transient_for(window);
        chooser->set_modal(true);
    }
    chooser->set_select_multiple(webkit_file_chooser_request_get_select_multiple(request));
    chooser->signal_response().connect([this, key](int response) { end(key, response); });
    auto held = GObjectPtr<WebKitFileChooserRequest>::retain(request);
    Gtk::FileChooserNative* shown = chooser.get();
    auto answer = [held, shown](std::optional<int> response) {
        std::vector<std::string> files;
        if (response == GTK_RESPONSE_ACCEPT) files = shown->get_filenames();
        if (files.empty()) {
            webkit_file_chooser_request_cancel(held.get());
            return;
        }
        std::vector<const char*> names;
        for (const auto& file : files) names.push_back(file.c_str());
        names.push_back(nullptr);
        webkit_file_chooser_request_select_files(held.get(), names.data());
    };
    open_[key] = std::make_unique<Open>(Open{tab, nullptr, chooser, std::move(answer), {}});
    chooser->show();
}

void PageQuestions::print(const Uuid& tab, Gtk::Window& window, WebKitWebView* view,
                          std::function<void()> ended) {
    const int key = nextKey_++;
    GtkWidget* dialog = nullptr;
    // It comes and goes as the window's sheets do: the focus returns to the window.
    runAskedDialog(window, [&] { dialog = showPrintDialog(view, window.gobj(), /*modal=*/false); });
    auto open = std::make_unique<Open>(Open{tab, nullptr, {}, [ended = std::move(ended)](std::optional<int>) {
                                                if (ended) ended();
                                            }});
    open->printDialog = GObjectPtr<GtkWidget>::retain(dialog);
    struct Answered {
        PageQuestions* questions;
        int key;
    };
    open->printResponse = g_signal_connect_data(
        dialog, "response", G_CALLBACK(+[](GtkDialog* answered, int response, gpointer data) {
            const Answered at = *static_cast<Answered*>(data);
            auto found = at.questions->open_.find(at.key);
            if (found == at.questions->open_.end()) return;
            // A second answer may follow (Escape, then the window's close): it is not this one's.
            g_signal_handler_disconnect(answered, std::exchange(found->second->printResponse, 0));
            at.questions->end(at.key, response >= 0 ? std::optional<int>(response) : std::nullopt);
        }),
        new Answered{this, key}, [](gpointer data, GClosure*) { delete static_cast<Answered*>(data); },
        GConnectFlags(0));
    // Unlike a question, nothing waits for its answer: it goes for good with its window.
    open->windowConnections.push_back(window.signal_hide().connect([this, key] { end(key, std::nullopt); }));
    open_[key] = std::move(open);
}

void PageQuestions::end(int key, std::optional<int> response) {
    auto found = open_.find(key);
    if (found == open_.end()) return;
    std::shared_ptr<Open> ended = std::move(found->second);
    open_.erase(found);
    for (auto& connection : ended->windowConnections) connection.disconnect();
    if (ended->dialog) ended->dialog->hide();
    if (ended->chooser) ended->chooser->hide();
    if (ended->printDialog && ended->printResponse) {
        // Dismissed: answered as cancelled, it takes itself apart.
        g_signal_handler_disconnect(ended->printDialog.get(), std::exchange(ended->printResponse, 0));
        gtk_dialog_response(GTK_DIALOG(ended->printDialog.get()), GTK_RESPONSE_CANCEL);
    }
    std::erase_if(releases_, [](const ScheduledTask& task) { return !task.pending(); });
    releases_.push_back(scheduler_.scheduleIdle([ended] {}));
    if (ended->answer) ended->answer(response);
}

void PageQuestions::dismiss(const Uuid& tab) {
    std::vector<int> keys;
    for (const auto& [key, open] : open_)
        if (open->tab == tab) keys.push_back(key);
    for (int key : keys) end(key, std::nullopt);
}

void PageQuestions::dismissAll() {
    while (!open_.empty()) end(open_.begin()->first, std::nullopt);
}

}  // namespace quenlith
