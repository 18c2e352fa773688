#pragma once

// The application's settings file (settings.json in the configuration folder): one JSON object
// whose keys have different owners ("preferences.v1", "interfaceLanguage", ...). Every writer
// changes its own keys and keeps all others.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "model/app_paths.hpp"
#include "model/file_errors.hpp"
#include "model/json_coding.hpp"
#include "model/result.hpp"

namespace quenlith {

class FileWriter;
FileWriter& applicationFileWriter();

class SettingsFile {
public:
    using Change = std::function<void(Json&)>;

    // Writes go through `writer`.
    explicit SettingsFile(std::string path, FileWriter& writer = applicationFileWriter());
    // Waits for the writes of the file still handed over: they read this object.
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    const std::string& path() const { return path_; }

    // The file's object; an empty object when the file does not exist. Fails with code
    // "unreadable" when the file holds no JSON object, and "io" when it cannot be read (also when
    // it is larger than the cap, not a regular file, or a link that leads nowhere; update()
    // creates the file at the end of such a link).
    Result<Json> read() const;
    // As read(), but nothing when there is no file at all (not even a link): the caller tells a
    // first start from stored settings.
    Result<std::optional<Json>> readStored() const;

    // Applies `change` to the current object and writes it back atomically and durably (folder
    // 0700, file 0600), all on the writer's worker after the writes before it; waits for it. A file that
    // holds no JSON object is first kept beside it as
    // "<name>.unreadable-<UUID>" (unless kept so already), so its contents are never lost. Fails without writing when the
    // file cannot be read or the result cannot be encoded (for example a non-finite number).
    // For the final save and restores; changes handed to write() before it are applied first.
    Status update(const Change& change);

    // The same without waiting: hands `change` to the writer and returns. Changes handed over
    // while a write is in flight wait together and the next write applies them all in order, so a
    // burst of changes writes the file a few times at most, the newest content last. `done` is
    // told on the caller's main context how the write that carried the change went, unless a later
    // one carried it too (its `done` tells). Changes of a failed write are carried by the next.
    void write(Change change, std::function<void(const Status&)> done = {});
    // Keeps the file as it is now beside it as "<name>.unreadable-<UUID>" (or finds such a copy
    // holding the same bytes), without waiting: `done` learns on the caller's main context where
    // it is kept, or why it could not be. Writes handed over later run after it.
    void keepAside(std::function<void(const Result<std::string>&)> done);
    // Waits until the writes of the file handed over so far have run (quit).
    void flush();

private:
    // Changes handed to write() that no write has taken yet; shared with the worker.
    struct Waiting {
        std::mutex mutex;
        std::vector<Change> changes;
    };

    Result<Json> readFor(files::FileTask task) const;
    Result<std::optional<Json>> readStoredFor(files::FileTask task) const;
    // Runs on the worker: applies the waiting changes, then `last`, in one write.
    Status writeWaitingChanges(const Change* last) const;
    Status updateOnWorker(const std::vector<Change>& changes) const;

    std::string path_;
    FileWriter* writer_;
    std::shared_ptr<Waiting> waiting_ = std::make_shared<Waiting>();
};

}  // namespace quenlith
