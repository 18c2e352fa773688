#include "model/settings_file.hpp"

#include <cerrno>

#include "model/file_store.hpp"
#include "model/file_writer.hpp"
#include "model/json_text.hpp"
#include "model/logging.hpp"

namespace quenlith {

SettingsFile::SettingsFile(std::string path, FileWriter& writer) : path_(std::move(path)), writer_(&writer) {}

SettingsFile::~SettingsFile() {
    flush();
}

Result<Json> SettingsFile::read() const {
    return readFor(files::FileTask::read);
}

Result<std::optional<Json>> SettingsFile::readStored() const {
    return readStoredFor(files::FileTask::read);
}

Result<Json> SettingsFile::readFor(files::FileTask task) const {
    auto stored = readStoredFor(task);
    if (!stored) return stored.error();
    return stored->value_or(Json::object());
}

Result<std::optional<Json>> SettingsFile::readStoredFor(files::FileTask task) const {
    auto bytes = files::readWholeFile(path_, kSettingsFileSizeCap, task);
    if (!bytes) {
        if (bytes.error().code != files::kNoSuchFile) return Error{"io", bytes.error().message};
        // A link to nowhere reads as "no such file" too, but it is there: settings kept elsewhere
        // (a folder not mounted yet) that must not pass for a first start. A write holds nothing
        // it could lose and creates the file at the link's end, as every write through a link.
        auto present = files::probePath(path_);
        if (!present) return Error{"io", present.error().message};
        if (!*present || task == files::FileTask::write) return std::optional<Json>();
        return Error{"io", files::accessError(path_, ENOENT, task).message};
    }
    std::string parseError;
    auto json = parseJsonText(*bytes, &parseError);
    if (!json) return Error{"unreadable", parseError};
    if (!json->is_object()) return Error{"unreadable", "the settings file holds no JSON object"};
    return std::optional<Json>(std::move(*json));
}

Status SettingsFile::update(const Change& change) {
    // Read, changed and written in one step of the writer, so another write of the file can come
    // neither between the read and the write nor after a later one.
    return writer_->writeAndWait(path_, [&] { return writeWaitingChanges(&change); });
}

void SettingsFile::write(Change change, std::function<void(const Status&)> done) {
    {
        std::lock_guard lock(waiting_->mutex);
        waiting_->changes.push_back(std::move(change));
    }
    // A write of the file still waiting is dropped by the writer: this one takes its changes too.
    writer_->write(path_, [this] { return writeWaitingChanges(nullptr); }, std::move(done));
}

void SettingsFile::keepAside(std::function<void(const Result<std::string>&)> done) {
    // Under a name of its own, so no write of the file that follows replaces it while it waits;
    // the writer still runs it before them.
    auto kept = std::make_shared<std::optional<Result<std::string>>>();
    writer_->write(
        path_ + files::kUnreadableCopy,
        [path = path_, kept]() -> Status {
            *kept = files::keepCopyAside(path, kSettingsFileSizeCap, files::kUnreadableCopy);
            if (!**kept) return (*kept)->error();
            return success();
        },
        [kept, done = std::move(done)](const Status&) {
            if (done && *kept) done(**kept);
        });
}

void SettingsFile::flush() {
    writer_->flush(path_);
}

Status SettingsFile::writeWaitingChanges(const Change* last) const {
    std::vector<Change> changes;
    {
        std::lock_guard lock(waiting_->mutex);
        changes.swap(waiting_->changes);
    }
    // An earlier write took them all.
    if (changes.empty() && !last) return success();
    const std::size_t taken = changes.size();
    if (last) changes.push_back(*last);
    Status written = updateOnWorker(changes);
    if (!written && taken > 0) {
        // The next write carries them, before whatever was handed over meanwhile.
        std::lock_guard lock(waiting_->mutex);
        waiting_->changes.insert(waiting_->changes.begin(), std::make_move_iterator(changes.begin()),
                                 std::make_move_iterator(changes.begin() + static_cast<std::ptrdiff_t>(taken)));
    }
    return written;
}

Status SettingsFile::updateOnWorker(const std::vector<Change>& changes) const {
    auto current = readFor(files::FileTask::write);
    Json object = Json::object();
    if (current) {
        object = std::move(*current);
    } else if (current.error().code == "unreadable") {
        // Kept at start already when the application told the person where: not copied again.
        auto aside = files::keepCopyAside(path_, kSettingsFileSizeCap, files::kUnreadableCopy);
        if (!aside) return Error{"io", aside.error().message};
        logError(LogCategory::lifecycle, "Settings file " + path_ + " was unreadable (" + current.error().message +
                                             "); kept it as " + *aside);
    } else {
        return current.error();
    }
    for (const Change& change : changes) change(object);
    auto text = encodeJsonText(object, JsonStyle::pretty);
    if (!text) return Error{"encoding", "the settings cannot be written as JSON"};
    if (auto folder = files::createParentFolder(path_); !folder) return Error{"io", folder.error().message};
    if (auto written = files::writeFileAtomically(path_, *text + "\n"); !written)
        return Error{"io", written.error().message};
    return success();
}

}  // namespace quenlith
