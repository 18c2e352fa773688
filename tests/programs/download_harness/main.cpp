// Downloads as the application does, for tests that kill it in the middle of a download: the
// application's data folder lock, private download folder and record of partial files, with the
// save question answered by the folder given here.
//
//   download_harness DESTINATION_FOLDER URL...
//
// Prints "ready" once what earlier processes left is cleared and the downloads start, "receiving
// NAME" when the first data of a download has arrived, and "copying" once the first piece of a
// finished file has been copied into DESTINATION_FOLDER (across file systems): that copy is then
// held until the process is killed.

#include <cstdio>
#include <future>
#include <set>
#include <string>
#include <vector>

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "browser/page/download_manager.hpp"
#include "model/app_paths.hpp"
#include "model/data_folder_lock.hpp"
#include "model/partial_file_records.hpp"

namespace {

using namespace quenlith;

class FolderChooser final : public DownloadLocationChooser {
public:
    explicit FolderChooser(std::string folder) : folder_(std::move(folder)) {}
    void chooseLocation(const std::string& fileName, GtkWindow*, Reply reply) override {
        reply(folder_ + "/" + fileName);
    }

private:
    std::string folder_;
};

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: download_harness DESTINATION_FOLDER URL...\n");
        return 2;
    }
    gtk_init(&argc, &argv);
    auto lock = DataFolderLock::acquire(applicationDataDirectory());
    if (!lock) {
        std::fprintf(stderr, "%s\n", lock.error().message.c_str());
        return 1;
    }
    PlacementSeams seams;
    seams.copiedPiece = [] {
        say("copying");
        std::promise<void>().get_future().wait();  // until the process is killed
    };
    DownloadManager downloads(
        std::make_unique<FolderChooser>(argv[1]), PrivateDownloadFolder::applicationPath(),
        [](const std::string&, LaunchFailed) {},
        std::make_shared<PartialFileRecords>(PartialFileRecords::applicationJournalPath()), seams);
    WebKitWebContext* context = webkit_web_context_new_ephemeral();
    downloads.observe(context);
    std::set<Uuid> receiving;
    downloads.signal_changed().connect([&] {
        for (const DownloadEntry& entry : downloads.entries())
            if (entry.received > 0 && receiving.insert(entry.id).second) say("receiving " + entry.name);
    });
    std::vector<std::string> urls(argv + 2, argv + argc);
    downloads.sweepLeftovers([&] {
        say("ready");
        for (const auto& url : urls) g_object_unref(webkit_web_context_download_uri(context, url.c_str()));
    });
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(loop);
    return 0;
}
