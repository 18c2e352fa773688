#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include <glibmm/refptr.h>

typedef struct _GtkWindow GtkWindow;

namespace Gtk {
class FileChooserNative;
}

namespace quenlith {

// Asks the user where a download is saved. Tests answer it without a dialog.
class DownloadLocationChooser {
public:
    using Reply = std::function<void(std::optional<std::string> path)>;

    virtual ~DownloadLocationChooser() = default;

    // Proposes `fileName`; shown for `parent` when one is given, free-standing otherwise. `reply`
    // runs once, later or at once, with the chosen path or nothing when the user declined.
    virtual void chooseLocation(const std::string& fileName, GtkWindow* parent, Reply reply) = 0;
};

// The user's download folder (XDG), else the home folder.
std::string downloadFolder();

// The save dialog of the desktop (a portal or GTK's own), with folder creation and a question
// before replacing an existing file.
class SaveDialogLocationChooser final : public DownloadLocationChooser {
public:
    // `folder` names the folder the dialog opens in, asked anew for every dialog.
    explicit SaveDialogLocationChooser(std::function<std::string()> folder = downloadFolder);
    ~SaveDialogLocationChooser() override;

    void chooseLocation(const std::string& fileName, GtkWindow* parent, Reply reply) override;

private:
    std::map<int, Glib::RefPtr<Gtk::FileChooserNative>> open_;  // dialogs waiting for an answer
    int nextKey_ = 0;
    std::function<std::string()> folder_;
};

// True when `window` is visible and shows no modal dialog of its own, so that another dialog may
// be attached to it.
bool canAttachDialog(GtkWindow* window);

}  // namespace quenlith
