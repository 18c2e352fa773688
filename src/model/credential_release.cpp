#include "model/credential_release.hpp"

#include <set>

#include <gio/gio.h>

namespace quenlith {

namespace {
int inFlight = 0;
}  // namespace

int credentialSearchesInFlight() { return inFlight; }

std::optional<std::vector<std::string>> unusedOf(const std::vector<std::string>& candidates,
                                                 const CredentialUsers& saved,
                                                 const std::function<bool(const std::string&)>& inUseNow) {
    if (!saved.known()) return std::nullopt;
    std::vector<std::string> unused;
    std::set<std::string> seen;
    for (const auto& credential : candidates)
        if (!saved.uses(credential) && !(inUseNow && inUseNow(credential)) && seen.insert(credential).second)
            unused.push_back(credential);
    return unused;
}

void findUnusedCredentials(std::vector<std::string> candidates, SavedCredentialFiles files,
                           std::function<bool(const std::string&)> inUseNow,
                           std::function<void(std::optional<std::vector<std::string>>)> done) {
    struct Reading {
        std::vector<std::string> candidates;
        SavedCredentialFiles files;
        std::function<bool(const std::string&)> inUseNow;
        std::function<void(std::optional<std::vector<std::string>>)> done;
        CredentialUsers saved;
    };
    GTask* task = g_task_new(
        nullptr, nullptr,
        [](GObject*, GAsyncResult* result, gpointer) {
            auto& reading = *static_cast<Reading*>(g_task_get_task_data(G_TASK(result)));
            // Taken here: the reading may be freed on the worker, the closures are the main loop's.
            auto inUseNow = std::move(reading.inUseNow);
            auto done = std::move(reading.done);
            // Decided now: what opened or was saved while the files were read counts.
            auto unused = unusedOf(reading.candidates, reading.saved, inUseNow);
            if (done) done(std::move(unused));
            --inFlight;
        },
        nullptr);
    g_task_set_task_data(
        task, new Reading{std::move(candidates), std::move(files), std::move(inUseNow), std::move(done), {}},
        [](gpointer reading) { delete static_cast<Reading*>(reading); });
    ++inFlight;
    g_task_run_in_thread(task, [](GTask* running, gpointer, gpointer data, GCancellable*) {
        auto& reading = *static_cast<Reading*>(data);
        reading.saved.addSavedFiles(reading.files);
        g_task_return_boolean(running, TRUE);
    });
    g_object_unref(task);
}

}  // namespace quenlith
