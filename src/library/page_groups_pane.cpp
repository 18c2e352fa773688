#include "library/page_groups_pane.hpp"

#include <functional>
#include <utility>

#include <gtkmm/button.h>
#include <gtkmm/clipboard.h>
#include <gtkmm/image.h>
#include <gtkmm/menu.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/menuitem.h>

#include "library/empty_state.hpp"
#include "library/library_pane_context.hpp"
#include "library/page_group_sheet.hpp"
#include "model/isolated_text.hpp"
#include "model/library_store.hpp"
#include "model/localization.hpp"
#include "model/page_group_text.hpp"
#include "model/web_app_store.hpp"
#include "ui/form_rows.hpp"
#include "ui/icon_names.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/page_group_windows.hpp"
#include "windows/rename_scene_alert.hpp"
#include "windows/runtime_publisher.hpp"

namespace quenlith {

namespace {

Gtk::Label* styledLabel(const std::string& text, Pango::Attribute attribute, bool dim = false) {
    auto* label = Gtk::manage(new Gtk::Label(text));
    label->set_xalign(0);
    Pango::AttrList attributes;
    attributes.insert(attribute);
    label->set_attributes(attributes);
    if (dim) styleSecondaryText(*label);
    return label;
}

Gtk::Label* captionLabel(const std::string& text) {
    auto* label = styledLabel(text, Pango::Attribute::create_attr_scale(0.85), true);
    label->set_line_wrap(true);
    return label;
}

Gtk::Button* button(const std::string& text, std::function<void()> action) {
    auto* made = Gtk::manage(new Gtk::Button(text));
    made->set_valign(Gtk::ALIGN_CENTER);
    made->signal_clicked().connect(std::move(action));
    return made;
}

}  // namespace

PageGroupsPane::PageGroupsPane(LibraryPaneContext& context)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 12), context_(context) {
    property_margin() = 20;
    context_.makeSceneSheet = [&context](const BrowserScene& draft, std::function<void()> done) {
        return std::unique_ptr<Gtk::Widget>(
            std::make_unique<PageGroupSheet>(context, draft, std::move(done)));
    };

    auto* header = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 8));
    header->pack_start(*styledLabel(localizedString("Keep the websites for a task together."),
                                    Pango::Attribute::create_attr_weight(Pango::WEIGHT_BOLD)),
                       Gtk::PACK_EXPAND_WIDGET);
    auto* save = button(localizedString("Save Open Windows as Group…"), [this] { saveOpenWindowsAsGroup(); });
    styleSuggestedAction(*save);
    header->pack_end(*save, Gtk::PACK_SHRINK);
    header->pack_end(*button(localizedString("Create from Links…"),
                             [this] {
                                 if (context_.onBatch) context_.onBatch(BatchAction::group, "");
                             }),
                     Gtk::PACK_SHRINK);
    pack_start(*header, Gtk::PACK_SHRINK);

    auto* focused = Gtk::manage(new Gtk::Label(localizedString("Page Group Focus is active")));
    focused->get_style_context()->add_class("accent");
    focusBanner_.pack_start(*focused, Gtk::PACK_SHRINK);
    focusBanner_.pack_end(*button(localizedString("Return to Previous Windows"),
                                  [this] { context_.windows.pageGroups().endSceneFocus(); }),
                          Gtk::PACK_SHRINK);
    focusBanner_.show_all();
    focusBanner_.set_no_show_all(true);
    pack_start(focusBanner_, Gtk::PACK_SHRINK);

    pack_start(
        *captionLabel(localizedString("Open reuses this page group’s live windows, preserving drafts. Other "
                                      "windows stay as they are. Use Hide to put the page group away.")),
        Gtk::PACK_SHRINK);

    list_.set_selection_mode(Gtk::SELECTION_NONE);
    scroll_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    scroll_.add(list_);
    content_.add(emptyHolder_, "empty");
    content_.add(scroll_, "list");
    content_.set_vexpand(true);
    pack_start(content_, Gtk::PACK_EXPAND_WIDGET);

    // The banner follows the focus, wherever it was started or ended.
    windowsChanged_ = context_.windows.publisher().signal_changed().connect([this] { refreshFocusBanner(); });
    refreshFocusBanner();
}

PageGroupsPane::~PageGroupsPane() {
    windowsChanged_.disconnect();
    context_.makeSceneSheet = nullptr;
}

void PageGroupsPane::refreshFocusBanner() {
    focusBanner_.set_visible(context_.windows.pageGroups().focusedScene().has_value());
}

void PageGroupsPane::refresh() {
    refreshFocusBanner();
    const auto& scenes = context_.library.document().scenes;
    shown_ = filteredScenes(scenes, context_.query);
    for (Gtk::Widget* row : list_.get_children()) list_.remove(*row);
    for (Gtk::Widget* old : emptyHolder_.get_children()) emptyHolder_.remove(*old);
    // A search that matches nothing shows an empty list; only an empty library says so.
    if (scenes.empty()) {
        emptyHolder_.pack_start(
            *makeEmptyState("rectangle.3.group", "No Page Groups Yet",
                            "Open the sites for a task, arrange the windows, then save them "
                            "together."),
            Gtk::PACK_EXPAND_WIDGET);
        emptyHolder_.show_all();
        content_.set_visible_child(emptyHolder_);
        return;
    }
    for (const auto& scene : shown_) {
        Gtk::Widget* row = makeRow(scene);
        list_.append(*row);
        // The list's row takes the focus on the way to its buttons: read as its group.
        if (Gtk::Widget* holder = row->get_parent()) nameControl(*holder, scene.name);
    }
    list_.show_all();
    content_.set_visible_child(scroll_);
}

Gtk::Widget* PageGroupsPane::makeRow(const BrowserScene& scene) {
    auto* row = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 14));
    row->set_margin_top(10);
    row->set_margin_bottom(10);
    installApplicationIcons();
    auto* symbol = Gtk::manage(new Gtk::Image());
    symbol->set_from_icon_name(iconNameForSymbol("rectangle.3.group"), Gtk::ICON_SIZE_LARGE_TOOLBAR);
    symbol->get_style_context()->add_class("accent");
    row->pack_start(*symbol, Gtk::PACK_SHRINK);

    auto* texts = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_VERTICAL, 4));
    auto* name =
        styledLabel(shownName(scene.name), Pango::Attribute::create_attr_weight(Pango::WEIGHT_SEMIBOLD));
    ellipsizeWithinWidth(*name);
    showText(*name, shownName(scene.name));
    texts->pack_start(*name, Gtk::PACK_SHRINK);
    texts->pack_start(*captionLabel(sceneCountsText(scene)), Gtk::PACK_SHRINK);
    texts->set_valign(Gtk::ALIGN_CENTER);
    row->pack_start(*texts, Gtk::PACK_EXPAND_WIDGET);

    // Every row has them: each is read with the group it acts on.
    const std::pair<std::string, std::function<void()>> actions[] = {
        {localizedString("Open"), [this, scene] { openGroup(scene); }},
        {localizedString("Focus"), [this, scene] { focusGroup(scene); }},
        {localizedString("Hide"), [this, scene] { hideGroup(scene); }},
    };
    for (const auto& [text, action] : actions) {
        Gtk::Button* made = button(text, action);
        nameInRow(*made, text, scene.name);
        row->pack_start(*made, Gtk::PACK_SHRINK);
    }

    auto* more = Gtk::manage(new Gtk::MenuButton());
    more->set_relief(Gtk::RELIEF_NONE);
    more->set_valign(Gtk::ALIGN_CENTER);
    more->set_image_from_icon_name(iconNameForSymbol("ellipsis"));
    // It shows only a picture: read by what it holds and the group it is for.
    nameInRow(*more, localizedString("More actions"), scene.name);
    auto* menu = Gtk::manage(new Gtk::Menu());
    auto addItem = [menu](const std::string& text, std::function<void()> action) {
        auto* item = Gtk::manage(new Gtk::MenuItem(text));
        item->signal_activate().connect(std::move(action));
        menu->append(*item);
    };
    addItem(localizedString("Copy Page Group Link"), [this, id = scene.id] { copyGroupLink(id); });
    addItem(localizedString("Rename…"), [this, scene] { renameGroup(scene); });
    addItem(localizedString("Delete"), [this, scene] { confirmDeleteGroup(scene); });
    menu->show_all();
    more->set_popup(*menu);
    row->pack_start(*more, Gtk::PACK_SHRINK);
    return row;
}

void PageGroupsPane::saveOpenWindowsAsGroup() {
    context_.clearNotice();
    auto draft = context_.windows.pageGroups().captureScene(localizedString("Page Group"));
    if (!draft) {
        context_.setNotice(
            localizedString("Open at least one regular webpage in a visible Quenlith window first."));
        return;
    }
    context_.showSceneSheet(*draft);
}

void PageGroupsPane::reportRemovedAccounts(const BrowserScene& scene) {
    for (const auto& window : scene.windows) {
        if (window.profileID && !context_.websites.profile(*window.profileID)) {
            context_.setNotice(removedAccountMessage());
            return;
        }
    }
}

void PageGroupsPane::openGroup(const BrowserScene& scene) {
    context_.windows.pageGroups().openScene(scene);
    reportRemovedAccounts(scene);
}

void PageGroupsPane::focusGroup(const BrowserScene& scene) {
    context_.windows.pageGroups().focusScene(scene);
    reportRemovedAccounts(scene);
}

void PageGroupsPane::hideGroup(const BrowserScene& scene) {
    context_.windows.pageGroups().hideScene(scene.id);
}

void PageGroupsPane::copyGroupLink(const Uuid& sceneID) {
    auto clipboard = Gtk::Clipboard::get();
    clipboard->clear();
    clipboard->set_text(sceneLink(sceneID));
}

void PageGroupsPane::renameGroup(const BrowserScene& scene) {
    std::weak_ptr<bool> alive = alive_;
    LibraryStore* library = &context_.library;
    presentRenameAlert(
        scene,
        [alive, library](const Uuid& id, const std::string& name) {
            if (!alive.lock()) return;
            library->update([&](LibraryDocument& document) { document.renameScene(id, name); });
        },
        context_.window ? context_.window() : nullptr);
}

void PageGroupsPane::confirmDeleteGroup(const BrowserScene& scene) {
    LibraryStore* library = &context_.library;
    const Uuid id = scene.id;
    context_.ask(localizedString("Delete this page group? Its open windows will stay open."), [library, id] {
        library->update([&](LibraryDocument& document) { document.removeScene(id); });
    });
}

}  // namespace quenlith
