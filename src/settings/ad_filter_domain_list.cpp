#include "settings/ad_filter_domain_list.hpp"

#include <glibmm/main.h>
#include <gtkmm/image.h>

#include "model/localization.hpp"
#include "ui/form_rows.hpp"
#include "ui/icon_names.hpp"

namespace quenlith {

namespace {

void styleNote(Gtk::Label& label) {
    label.set_xalign(0);
    label.set_line_wrap(true);
    styleSecondaryText(label);
}

}  // namespace

AdFilterDomainList::AdFilterDomainList(std::string emptyText, std::function<std::vector<std::string>()> read,
                                       std::function<void(std::vector<std::string>)> write)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 12),
      emptyText_(std::move(emptyText)),
      read_(std::move(read)),
      write_(std::move(write)),
      add_(localizedString("Add")) {
    set_margin_top(8);
    set_margin_bottom(8);
    field_.set_placeholder_text(localizedString("Domain or website URL"));
    field_.set_hexpand(true);
    field_.signal_changed().connect([this] {
        if (updating_) return;
        editor_.setInput(field_.get_text());
        add_.set_sensitive(editor_.canAdd(read_()));
    });
    // Return adds even while "Add" is disabled, so an empty field is refused out loud.
    field_.signal_activate().connect([this] { add(); });
    add_.signal_clicked().connect([this] { add(); });
    inputRow_.pack_start(field_, Gtk::PACK_EXPAND_WIDGET);
    inputRow_.pack_start(add_, Gtk::PACK_SHRINK);
    error_.set_xalign(0);
    error_.set_line_wrap(true);
    error_.override_color(Gdk::RGBA("#c01c28"));
    styleNote(hint_);
    styleNote(empty_);
    hint_.set_text(AdFilterDomainEditor::limitHint());
    empty_.set_text(localizedString(emptyText_));
    pack_start(inputRow_, Gtk::PACK_SHRINK);
    pack_start(error_, Gtk::PACK_SHRINK);
    pack_start(hint_, Gtk::PACK_SHRINK);
    pack_start(empty_, Gtk::PACK_SHRINK);
    pack_start(rows_, Gtk::PACK_SHRINK);
    show_all_children();
    for (Gtk::Widget* kept : std::initializer_list<Gtk::Widget*>{&error_, &hint_, &empty_})
        kept->set_no_show_all(true);
    refresh();
}

AdFilterDomainList::~AdFilterDomainList() { retireTask_.disconnect(); }

void AdFilterDomainList::setTitle(const std::string& title) {
    title_ = title;
    nameInRow(field_, localizedString("Domain or website URL"), title);
    nameInRow(add_, localizedString("Add"), title);
    // The entries' remove buttons are named as they are made.
    rowWidgets_.clear();
    refresh();
}

void AdFilterDomainList::add() {
    auto changed = editor_.add(read_());
    if (changed && write_) write_(std::move(*changed));
    refresh();
}

void AdFilterDomainList::remove(const std::string& entry) {
    if (write_) write_(AdFilterDomainEditor::remove(read_(), entry));
    refresh();
}

std::vector<std::string> AdFilterDomainList::shownEntries() const {
    std::vector<std::string> shown;
    for (const auto& row : rowWidgets_)
        shown.push_back(static_cast<const Gtk::Label*>(row->get_children().front())->get_text());
    return shown;
}

void AdFilterDomainList::refresh() {
    updating_ = true;
    const std::vector<std::string> domains = read_();
    if (field_.get_text() != editor_.input()) field_.set_text(editor_.input());
    add_.set_sensitive(editor_.canAdd(domains));
    error_.set_text(editor_.error().value_or(""));
    error_.set_visible(editor_.error().has_value());
    hint_.set_visible(AdFilterDomainEditor::isFull(domains));
    empty_.set_visible(domains.empty());
    if (shownEntries() != domains) {
        for (auto& row : rowWidgets_) {
            rows_.remove(*row);
            retired_.push_back(std::move(row));
        }
        rowWidgets_.clear();
        if (!retireTask_.connected())
            retireTask_ = Glib::signal_idle().connect([this] {
                retired_.clear();
                return false;
            });
        for (const std::string& entry : domains) {
            auto* row = rowWidgets_.emplace_back(std::make_unique<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, 6)).get();
            auto* text = Gtk::manage(new Gtk::Label(entry));
            text->set_xalign(0);
            makeCopyable(*text);
            text->set_line_wrap(true);
            text->set_lines(2);
            text->set_ellipsize(Pango::ELLIPSIZE_END);
            auto* button = Gtk::manage(new Gtk::Button());
            button->set_image_from_icon_name(iconNameForSymbol("minus.circle"), Gtk::ICON_SIZE_BUTTON);
            button->set_relief(Gtk::RELIEF_NONE);
            button->set_tooltip_text(localizedFormat("Remove %@", {entry}));
            nameInRow(*button, localizedFormat("Remove %@", {entry}), title_);
            button->signal_clicked().connect([this, entry] { remove(entry); });
            row->pack_start(*text, Gtk::PACK_EXPAND_WIDGET);
            row->pack_end(*button, Gtk::PACK_SHRINK);
            rows_.pack_start(*row, Gtk::PACK_SHRINK);
        }
        rows_.show_all();
    }
    updating_ = false;
}

}  // namespace quenlith
