#include "model/settings_file.hpp"

#include <cerrno>

#include "model/file_store.hpp"
#include "model/file_writer.hpp"
#include "model/json_text.hpp"
#include "model/logging.hpp"
#include "model/uuid.hpp"

namespace quenlith {

SettingsFile::SettingsFile(std::string path, FileWriter& writer) : path_(std::move(path)), writer_(&writer) {}

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

Status SettingsFile::update(const std::function<void(Json&)>& change) {
    // Read, changed and written in one step of the writer, so another write of the file can come
    // neither between the read and the write nor after a later one.
    return writer_->writeAndWait(path_, [&] { return updateOnWorker(change); });
}

Status SettingsFile::updateOnWorker(const std::function<void(Json&)>& change) const {
    auto current = readFor(files::FileTask::write);
    Json object = Json::object();
    if (current) {
        object = std::move(*current);
    } else if (current.error().code == "unreadable") {
        std::string aside = path_ + ".unreadable-" + Uuid::random().string();
        if (auto folder = files::createParentFolder(aside); !folder) return Error{"io", folder.error().message};
        if (auto kept = files::copyFileAtomically(path_, aside, kSettingsFileSizeCap); !kept)
            return Error{"io", kept.error().message};
        logError(LogCategory::lifecycle, "Settings file " + path_ + " was unreadable (" + current.error().message +
                                             "); kept it as " + aside);
    } else {
        return current.error();
    }
    change(object);
    auto text = encodeJsonText(object, JsonStyle::pretty);
    if (!text) return Error{"encoding", "the settings cannot be written as JSON"};
    if (auto folder = files::createParentFolder(path_); !folder) return Error{"io", folder.error().message};
    if (auto written = files::writeFileAtomically(path_, *text + "\n"); !written)
        return Error{"io", written.error().message};
    return success();
}

}  // namespace quenlith
