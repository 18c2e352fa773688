#include "model/product_guide.hpp"

#include "model/localization.hpp"
#include "model/more_menu.hpp"
#include "model/website_switches.hpp"

namespace quenlith {

const std::vector<GuideSection>& guideSections() {
    // Labels of the settings window and the website editor are written out; those of the More
    // menu and of the website switches are the controls' own.
    static const std::vector<GuideSection> sections{
        {"Websites and Tray",
         "Open a website, then choose %@ in the window\u2019s %@ menu. A checkmark means this shortcut is "
         "enabled. Choose it again to remove the icon while keeping the website saved. You can also manage "
         "icons in Settings > %@.",
         {kShowInTrayLabel, kMoreOptionsLabel, "Websites"}},
        {"Running and Hidden",
         "Running lists the actual open tabs. Hide keeps a page alive, including drafts and audio. Close "
         "Completely releases it. A tray icon is a shortcut, not proof that the site is running.",
         {}},
        {"Page Groups",
         "Save open windows as a named page group, or paste links to create one. Open restores the group; "
         "Hide puts it away. Across restarts, URLs and layout return, so save website drafts before quitting.",
         {}},
        {"Bookmarks",
         "Read Later keeps pages with a saved scroll position. Save with Ctrl+Shift+D, continue from Saved "
         "Pages, then mark finished. Bookmarks keeps your source links and excerpts.",
         {}},
        {"Quick Open",
         "Press Ctrl+K while Quenlith is active to find an open tab, website, bookmark or page group. Arrow "
         "keys choose a result and Return opens it. Matching open tabs are reused, including hidden windows.",
         {}},
        {"Open Multiple Links",
         "Press Ctrl+Shift+O and paste one link per line. Preview and deduplicate them, then open as tabs or "
         "save as a page group for later. You can also pick from open and saved pages.",
         {}},
        {"Privacy and Backups",
         "Private Window has a separate temporary cookie session and closes completely. History is opt-in. "
         "Backups include websites, bookmarks, excerpts and page groups, but exclude cookies and browsing "
         "history. Keep exports somewhere you trust.",
         {}},
        {"Compatibility",
         "Quenlith uses the system WebKit engine. Some sites or sign-in providers may restrict embedded "
         "browsers. Try Again recreates a failed tab; Open in Default Browser is available when a site still "
         "refuses access. Changing User-Agent changes the advertised device, not the browser engine.",
         {}},
        {"Accounts and Website Proxies",
         "New and duplicated windows have independent logins by default. Change the default in %@ settings, "
         "or use %@ in the window\u2019s %@ menu. Existing website sessions are kept; session and proxy edits "
         "apply after restart.",
         {"General", kNewSharedWindowLabel, kMoreOptionsLabel}},
        {"Recovery and Sleep",
         "Enable full session recovery and choose an idle sleep interval in %@ settings. Sleeping pages "
         "reload when opened. Input and active media prevent sleep. Exempt a website with %@ in its %@ "
         "settings.",
         {"General", websiteSwitch("keepAwakeEnabled").label, "Advanced"}},
        {"Compact Mode",
         "Compact mode hides the title bar and the toolbar. Move the pointer onto the thin strip along the "
         "top of the window to bring them back, or press Ctrl+L to type an address; %@ in the %@ menu puts "
         "them away again. Drag the strip to move the window.",
         {kHideControlsLabel, kMoreOptionsLabel}},
        {"Edge Handles and Application Links",
         "Choose %@ in the window\u2019s %@ menu, or turn on %@ in a website\u2019s %@ settings and drag its "
         "window to an edge. Hover reveals without taking focus. To link a website to an app, choose apps "
         "under %@ in its settings and turn on %@ in %@ settings.",
         {kTuckToScreenEdgeLabel, kMoreOptionsLabel, websiteSwitch("edgeTuckEnabled").label, "Window",
          "Follow Applications", "Enable application links", "General"}},
    };
    return sections;
}

std::string guideText(const GuideSection& section) {
    std::vector<FormatArgument> labels;
    for (const std::string& control : section.controls) labels.emplace_back(localizedString(control));
    return localizedFormat(section.text, labels);
}

}  // namespace quenlith
