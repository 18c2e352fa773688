#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/clock.hpp"

namespace quenlith {

// Tells a page that opens dialog after dialog (alert, confirm, prompt) from one that asks now and
// then. A dialog that opens while the page's previous one is still open, or at most
// kSuccessionSeconds after it closed, continues a run; from the kOfferFrom-th dialog of a run on,
// the dialog offers to stop the page's dialogs. Once the user takes the offer, the page's dialogs
// are answered without being shown until the tab commits a load of another page or the user
// reloads it; the page reloading itself, or moving within itself, keeps them stopped. A page's print
// dialogs are held the same way, with no offer: one at a time, none right after the last one closed.
// One per tab.
class ScriptDialogGuard {
public:
    static constexpr double kSuccessionSeconds = 5;
    static constexpr int kOfferFrom = 3;

    explicit ScriptDialogGuard(const Clock& clock) : clock_(&clock) {}

    // A dialog of the page is about to be shown: whether it offers to stop the page's dialogs.
    bool opening();
    // That dialog ended: answered, dismissed, or gone with its tab.
    void closed();

    // The page asks to print: whether its print dialog is shown. Not while a dialog of the page is
    // open or its dialogs are stopped, nor at most kSuccessionSeconds after its last print dialog
    // closed: a page printing in a loop would bring the dialog back as soon as it is dismissed. A
    // shown one continues the page's run of dialogs and stays open until printClosed().
    bool printing();
    void printClosed();

    // The user took the offer while the tab showed `page`.
    void stop(std::string_view page);
    // Whether the page's dialogs are answered at once, without being shown.
    bool isStopped() const { return stoppedPage_.has_value(); }
    // The tab committed a load of `page`: another page than the stopped one ends the stop.
    void committed(std::string_view page);
    // The user reloaded the tab: the stop ends.
    void reloaded() { stoppedPage_.reset(); }

private:
    const Clock* clock_;
    int run_ = 0;
    int open_ = 0;
    std::optional<Date> lastClosed_;
    std::optional<Date> lastPrintClosed_;
    std::optional<std::string> stoppedPage_;
};

}  // namespace quenlith
