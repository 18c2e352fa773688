#include "model/settings_file.hpp"

#include <cerrno>

#include <glib.h>

#include "model/json_text.hpp"
#include "model/logging.hpp"
#include "model/uuid.hpp"

namespace quenlith {

namespace {

constexpr int kFolderMode = 0700;
constexpr int kFileMode = 0600;

Error errorFrom(const char* code, GError* error) {
    Error result{code, error ? error->message : "unknown error"};
    g_clear_error(&error);
    return result;
}

Status writeAtomically(const std::string& path, const std::string& contents) {
    gchar* folder = g_path_get_dirname(path.c_str());
    int made = g_mkdir_with_parents(folder, kFolderMode);
    int madeErrno = errno;
    std::string folderText = folder;
    g_free(folder);
    if (made != 0) return Error{"io", "Could not create " + folderText + ": " + g_strerror(madeErrno)};
    GError* error = nullptr;
    if (!g_file_set_contents_full(path.c_str(), contents.data(), static_cast<gssize>(contents.size()),
                                  static_cast<GFileSetContentsFlags>(G_FILE_SET_CONTENTS_CONSISTENT | G_FILE_SET_CONTENTS_DURABLE),
                                  kFileMode, &error))
        return errorFrom("io", error);
    return success();
}

}  // namespace

SettingsFile::SettingsFile(std::string path) : path_(std::move(path)) {}

Result<Json> SettingsFile::read() const {
    gchar* contents = nullptr;
    gsize length = 0;
    GError* error = nullptr;
    if (!g_file_get_contents(path_.c_str(), &contents, &length, &error)) {
        if (g_error_matches(error, G_FILE_ERROR, G_FILE_ERROR_NOENT)) {
            g_clear_error(&error);
            return Json::object();
        }
        return errorFrom("io", error);
    }
    std::string parseError;
    auto json = parseJsonText(std::string_view(contents, length), &parseError);
    g_free(contents);
    if (!json) return Error{"unreadable", parseError};
    if (!json->is_object()) return Error{"unreadable", "the settings file holds no JSON object"};
    return std::move(*json);
}

Status SettingsFile::update(const std::function<void(Json&)>& change) {
    auto current = read();
    Json object = Json::object();
    if (current) {
        object = std::move(*current);
    } else if (current.error().code == "unreadable") {
        std::string aside = path_ + ".unreadable-" + Uuid::random().string();
        gchar* contents = nullptr;
        gsize length = 0;
        GError* error = nullptr;
        if (!g_file_get_contents(path_.c_str(), &contents, &length, &error)) return errorFrom("io", error);
        std::string bytes(contents, length);
        g_free(contents);
        if (auto kept = writeAtomically(aside, bytes); !kept) return kept;
        logError(LogCategory::lifecycle, "Settings file " + path_ + " was unreadable (" + current.error().message +
                                             "); kept it as " + aside);
    } else {
        return current.error();
    }
    change(object);
    auto text = encodeJsonText(object, JsonStyle::pretty);
    if (!text) return Error{"encoding", "the settings cannot be written as JSON"};
    return writeAtomically(path_, *text + "\n");
}

}  // namespace quenlith
