#include "browser/view/website_start_page.hpp"

namespace quenlith {

WebsiteStartPage::WebsiteStartPage() : Gtk::Box(Gtk::ORIENTATION_VERTICAL) {
    get_style_context()->add_class("quenlith-start-page");
}

}  // namespace quenlith
