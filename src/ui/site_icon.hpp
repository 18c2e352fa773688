#pragma once

#include <string>
#include <string_view>

#include <gtkmm/drawingarea.h>
#include <sigc++/connection.h>

#include "model/suggested_website.hpp"
#include "model/web_app_profile.hpp"
#include "ui/site_icon_loader.hpp"

namespace quenlith {

// The letter a website without an icon shows: the first user-perceived character of its shown
// name, upper-cased without regard to the locale; empty for an empty name.
std::string siteLetter(std::string_view displayTitle);

// The square icon of a built-in suggestion: its symbol in its colour on a light tile with a thin
// border in the same colour.
class SuggestedSiteIcon : public Gtk::DrawingArea {
public:
    SuggestedSiteIcon(SuggestedWebsite site, int size);

protected:
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& cr) override;

private:
    SuggestedWebsite site_;
    int size_;
};

// The square icon of a saved website: the suggestion's icon when its home address belongs to a
// built-in suggestion, else its favicon from the loader, else its letter. Asks the loader for the
// icon when shown and whenever its key changes.
class SiteIcon : public Gtk::DrawingArea {
public:
    SiteIcon(const WebAppProfile& profile, SiteIconLoader& loader, int size);
    ~SiteIcon() override;

    // Takes a new copy of the website: a new key loads again, a new name only redraws.
    void setProfile(const WebAppProfile& profile);
    // What the icon draws now.
    enum class Content { suggestion, favicon, letter };
    Content content() const;

protected:
    bool on_draw(const Cairo::RefPtr<Cairo::Context>& cr) override;
    void on_map() override;

private:
    WebAppProfile profile_;
    SiteIconLoader& loader_;
    int size_;
    std::string requestedKey_;
    sigc::connection loaderChanged_;
};

}  // namespace quenlith
