#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "browser/view/browser_context.hpp"
#include "model/page_clip.hpp"
#include "model/script_dialog_guard.hpp"
#include "model/uuid.hpp"

namespace quenlith {

class BrowserTab;
class BrowserViewController;
class FindSession;
class PageScripts;

// The commands on the page one browser view shows: loading an address or what was typed,
// reloading or stopping, retrying after a failure, the start page, printing, finding, focus,
// opening outside, and what may be kept of the page (its shareable address, selection and reading
// position). Reaches the tabs and the chrome through the view. Main thread only.
class ActivePage {
public:
    // `dialogGuards` are the view's counts of each tab's script dialogs (a reload resets them).
    ActivePage(BrowserViewController& view, const BrowserContext& context, PageScripts& scripts,
               FindSession& find, std::map<Uuid, ScriptDialogGuard>& dialogGuards);
    ActivePage(const ActivePage&) = delete;
    ActivePage& operator=(const ActivePage&) = delete;

    // The active page's address when it may be kept (persistent session, a page, credential-free).
    std::optional<std::string> shareableURL() const;
    void toggleMenuBarIcon();

    // The active page with its selected text (at most 200,000 characters) as a page draft; not
    // called when the page changed meanwhile or cannot be kept.
    void captureSelection(std::function<void(PageClip)> completion);
    // The active page's address, title and scroll fraction (0 to 1, nothing when the page has no
    // scrolling element); not called when the page changed meanwhile or cannot be kept.
    void readingPosition(std::function<void(const std::string& address, const std::string& title,
                                            std::optional<double> fraction)>
                             completion);
    // Keeps a reading position (0 to 1) for `address` in the active tab and scrolls there once that
    // page is shown; a missing, non-finite or out-of-range fraction is ignored.
    void restoreReadingPosition(std::optional<double> fraction, const std::string& address);
    // Scrolls a tab that finished loading to the position kept for its page; used once.
    void applyPendingReadingPosition(BrowserTab& tab);

    void printActivePage();
    void showFindBar();
    void focusActiveContent();
    void load(const std::string& address);
    // Loads what was typed into the address field: an address, or a search.
    void navigate(const std::string& text);
    void reloadActiveTab();
    void reloadOrStop();
    // The error box's actions.
    void retryLoading();
    void openExternal();
    // Selects the first tab showing the start page, or opens one.
    void showStartPage();
    // Hands an address to another application without waiting for it; a failure is shown in the
    // view's window while the view lives.
    void openOutside(const std::string& uri);

private:
    BrowserViewController& view_;
    const BrowserContext context_;
    PageScripts& scripts_;
    FindSession& find_;
    std::map<Uuid, ScriptDialogGuard>& dialogGuards_;
    // Answers that arrive after the view is gone find this expired.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace quenlith
