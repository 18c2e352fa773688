#include "model/file_placement.hpp"

#include <cerrno>
#include <mutex>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gio/gio.h>

#include "model/file_errors.hpp"
#include "model/localization.hpp"
#include "model/uuid.hpp"

namespace quenlith {

// Shared by the placement, its worker and its completion.
struct PlacementState {
    std::string source;
    std::string destination;
    FilePlacement::Completion done;
    PlacementSeams seams;
    std::shared_ptr<PartialFileRecorder> recorder;
    GCancellable* cancellable = g_cancellable_new();
    int error = 0;  // the worker's result, an errno value; read once the task has returned
    std::string reason;  // why a partial file could not be recorded, when that stopped the worker
    std::vector<std::string> recorded;  // the worker's own: names recorded, forgotten at its end

    std::mutex mutex;  // guards the three below; held across each step that touches a name
    bool cancelled = false;
    bool landed = false;
    std::string partial;  // the partial file while it exists

    ~PlacementState() { g_object_unref(cancellable); }
};

namespace {

constexpr std::size_t kPiece = 1 << 20;

// Copies piece by piece, checking for cancellation between pieces: an errno value, 0 when done.
int copyData(int in, int out, PlacementState& state) {
    std::string buffer(kPiece, '\0');
    for (;;) {
        if (g_cancellable_is_cancelled(state.cancellable)) return ECANCELED;
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return errno;
        if (got == 0) return 0;
        for (ssize_t written = 0; written < got;) {
            const ssize_t step =
                ::write(out, buffer.data() + written, static_cast<std::size_t>(got - written));
            if (step < 0 && errno != EINTR) return errno;
            if (step > 0) written += step;
        }
        if (state.seams.copiedPiece) state.seams.copiedPiece();
    }
}

// Opens a partial file no one else has, under a fresh name each try: the descriptor, or -errno.
int openPartial(PlacementState& state) {
    g_autofree char* named = g_path_get_dirname(state.destination.c_str());
    // The folder without links on the way: a start that finds the file left reaches it the same way.
    g_autofree char* resolved = ::realpath(named, nullptr);
    const char* folder = resolved ? resolved : named;
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string candidate = state.seams.partialName(folder);
        // On record before it exists: a process that ends while it fills leaves a name to find.
        if (state.recorder) {
            if (auto recorded = state.recorder->record(candidate); !recorded) {
                state.reason = recorded.error().message;
                return -EIO;
            }
            state.recorded.push_back(candidate);
        }
        int failure = 0;
        int fd = -1;
        {
            std::lock_guard lock(state.mutex);
            if (state.cancelled) return -ECANCELED;
            // Private while it fills; exclusive, so a name already taken is never written into.
            fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd >= 0)
                state.partial = candidate;
            else
                failure = errno;
        }
        if (fd >= 0) {
            // Outside the lock: the record is written to disk, and cancel() must not wait for it.
            struct stat made {};
            if (state.recorder && ::fstat(fd, &made) == 0) state.recorder->identify(candidate, FileIdentity::of(made));
            return fd;
        }
        // Not ours: a file already there under that name is never to be removed on our account.
        if (state.recorder) {
            state.recorder->forget(candidate);
            state.recorded.pop_back();
        }
        if (failure != EEXIST) return -failure;
    }
    return -EEXIST;
}

// Runs on the worker: an errno value, 0 once the file is at the destination.
int place(PlacementState& state) {
    {
        std::lock_guard lock(state.mutex);
        if (state.cancelled) return ECANCELED;
        if (::rename(state.source.c_str(), state.destination.c_str()) == 0) {
            state.landed = true;
            return 0;
        }
        if (errno != EXDEV) return errno;
    }
    const int in = ::open(state.source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return errno;
    const int out = openPartial(state);
    if (out < 0) {
        ::close(in);
        return -out;
    }
    int error = copyData(in, out, state);
    struct stat sourceState {};
    // The finished file keeps the permissions the engine gave the download.
    if (!error && ::fstat(in, &sourceState) == 0) ::fchmod(out, sourceState.st_mode & 0777);
    if (!error && ::fsync(out) != 0) error = errno;
    if (::close(out) != 0 && !error) error = errno;
    ::close(in);

    std::unique_lock lock(state.mutex);
    if (state.cancelled) return ECANCELED;  // cancel() removed the partial file
    if (!error && ::rename(state.partial.c_str(), state.destination.c_str()) != 0) error = errno;
    if (error) {
        ::unlink(state.partial.c_str());
        state.partial.clear();
        return error;
    }
    state.partial.clear();
    state.landed = true;
    lock.unlock();
    ::unlink(state.source.c_str());  // moved: the copy replaces it
    return 0;
}

void runPlacement(GTask* task, gpointer, gpointer data, GCancellable*) {
    auto& state = *static_cast<std::shared_ptr<PlacementState>*>(data);
    state->error = place(*state);
    // Every partial file is renamed into place or removed by now, or was never made.
    for (const std::string& name : state->recorded) state->recorder->forget(name);
    g_task_return_boolean(task, TRUE);
}

void placementReturned(GObject*, GAsyncResult* result, gpointer data) {
    std::unique_ptr<std::shared_ptr<PlacementState>> held(
        static_cast<std::shared_ptr<PlacementState>*>(data));
    PlacementState& state = **held;
    g_task_propagate_boolean(G_TASK(result), nullptr);
    {
        std::lock_guard lock(state.mutex);
        if (state.cancelled) return;
    }
    if (!state.done) return;
    if (state.error == 0) {
        state.done(success());
        return;
    }
    // The person knows the file by the whole path they chose, not by our partial name.
    const std::string reason = state.reason.empty() ? g_strerror(state.error) : state.reason;
    state.done(Error{files::kWriteFailed,
                     localizedFormat("The file “%@” could not be written: %@", {state.destination, reason})});
}

constexpr std::string_view kPartialPrefix = ".Quenlith-download-";
constexpr std::string_view kPartialSuffix = ".part";

}  // namespace

std::string partialFileName(const std::string& folder) {
    return folder + G_DIR_SEPARATOR_S + std::string(kPartialPrefix) + Uuid::random().string() +
           std::string(kPartialSuffix);
}

bool isPartialFileName(std::string_view name) {
    if (!name.starts_with(kPartialPrefix) || !name.ends_with(kPartialSuffix)) return false;
    const std::string_view middle =
        name.substr(kPartialPrefix.size(), name.size() - kPartialPrefix.size() - kPartialSuffix.size());
    const auto uuid = Uuid::parse(middle);
    // Only the spelling written above: upper case, hyphenated.
    return uuid && uuid->string() == middle;
}

FilePlacement::FilePlacement(std::shared_ptr<PlacementState> state) : state_(std::move(state)) {}

FilePlacement::~FilePlacement() = default;

std::shared_ptr<FilePlacement> FilePlacement::start(const std::string& source, const std::string& destination,
                                                    Completion done, Seams seams,
                                                    std::shared_ptr<PartialFileRecorder> recorder) {
    auto state = std::make_shared<PlacementState>();
    state->source = source;
    state->destination = destination;
    state->done = std::move(done);
    state->seams = std::move(seams);
    state->recorder = std::move(recorder);
    if (!state->seams.partialName) state->seams.partialName = partialFileName;
    GTask* task = g_task_new(nullptr, nullptr, placementReturned, new std::shared_ptr<PlacementState>(state));
    g_task_set_task_data(task, new std::shared_ptr<PlacementState>(state),
                         [](gpointer data) { delete static_cast<std::shared_ptr<PlacementState>*>(data); });
    g_task_run_in_thread(task, runPlacement);
    g_object_unref(task);
    return std::shared_ptr<FilePlacement>(new FilePlacement(std::move(state)));
}

bool FilePlacement::cancel() {
    std::lock_guard lock(state_->mutex);
    if (state_->landed) return false;
    state_->cancelled = true;
    g_cancellable_cancel(state_->cancellable);
    // Removed here rather than by the worker, so a process that ends right after leaves nothing.
    if (!state_->partial.empty()) ::unlink(state_->partial.c_str());
    state_->partial.clear();
    return true;
}

}  // namespace quenlith
