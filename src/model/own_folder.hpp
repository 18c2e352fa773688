#pragma once

// Folders that are the application's own below a folder the person may have moved and linked:
// everything that empties, removes or narrows works through descriptors of these, so it never
// follows a symbolic link a person (or anyone) put in place of one of our names.

#include <string>

#include "model/result.hpp"

namespace quenlith::files {

// Error codes of a name of ours taken by something that is not our folder, left as it is: a
// symbolic link (kLinkedFolder), or a file or a folder of another user (kNotOwnFolder).
inline constexpr const char* kLinkedFolder = "file.linkedFolder";
inline constexpr const char* kNotOwnFolder = "file.notOwnFolder";

// An open descriptor, closed when it goes.
class FolderHandle {
public:
    FolderHandle() = default;
    explicit FolderHandle(int fd) : fd_(fd) {}
    ~FolderHandle();
    FolderHandle(FolderHandle&& other) noexcept : fd_(other.release()) {}
    FolderHandle& operator=(FolderHandle&& other) noexcept;
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_ = -1;
};

enum class MissingFolder { made, failure };

// Opens the folder `relative` ("a" or "a/b") below `base`. `base` is followed wherever it leads (a
// data folder a person moved to another disk and linked), and made with createFolder when missing
// folders are to be made. Each part of `relative` must be a real
// folder of this user: anything else there fails with kLinkedFolder or kNotOwnFolder and stays as it
// is; a failure names the folder asked for. A missing
// part is made (mode 0700) or fails, as `missing` says; a folder opened to be made is narrowed to
// its owner (fchmod on the descriptor, never through a name).
// `systemError`, when given, is set to the errno of a failure.
Result<FolderHandle> openOwnFolder(const std::string& base, const std::string& relative,
                                   MissingFolder missing = MissingFolder::made, int* systemError = nullptr);

// The same from "/" down the whole of `absolute`, nothing followed and nothing made: the folder as
// it was reached when something was recorded there. An empty handle when a step fails, with its
// errno in `systemError` (ELOOP for a link, ENOTDIR for something that is no folder, ENOENT for a
// missing one).
FolderHandle openFolderWithoutLinks(const std::string& absolute, int* systemError);

// Removes everything in the open folder `folder`: a link is removed itself, never what it points
// to, and a folder is emptied through a descriptor of its own. The number of entries removed.
std::size_t removeContents(int folder);
// Removes the entry `name` of the open folder `folder` (a folder with everything in it, a link
// itself): whether nothing is left under that name.
bool removeEntry(int folder, const std::string& name);

}  // namespace quenlith::files
