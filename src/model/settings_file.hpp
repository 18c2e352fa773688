#pragma once

// The application's settings file (settings.json in the configuration folder): one JSON object
// whose keys have different owners ("preferences.v1", "interfaceLanguage", ...). Every writer
// changes its own keys and keeps all others.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

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
    // Writes go through `writer`.
    explicit SettingsFile(std::string path, FileWriter& writer = applicationFileWriter());

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
    // "<name>.unreadable-<UUID>", so its contents are never lost. Fails without writing when the
    // file cannot be read or the result cannot be encoded (for example a non-finite number).
    Status update(const std::function<void(Json&)>& change);

private:
    Result<Json> readFor(files::FileTask task) const;
    Result<std::optional<Json>> readStoredFor(files::FileTask task) const;
    Status updateOnWorker(const std::function<void(Json&)>& change) const;

    std::string path_;
    FileWriter* writer_;
};

}  // namespace quenlith
