#pragma once

#include "files/model/file_descriptor.h"
#include "files/model/recovery_copy.h"

#include <cstdint>
#include <ctime>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pimoko {

// A copy left in the folder by an editor that is no longer running, held by
// its lock for as long as this lives: no other editor offers or touches it
// meanwhile.
struct LeftCopy {
    RecoveryCopy copy;
    std::string copyPath;
    std::string lockPath;
    FileDescriptor lock{-1};
};

// The recovery copies of the editors of one user, in one folder (see
// recoveryFolder). Each editor's copy is "<id>.bmp" beside its lock file
// "<id>.lock", on which it holds an exclusive flock for as long as it runs;
// the system drops the lock when the process ends, however it ends, so a
// copy whose lock can be taken was left by an editor that is gone.
//
// The folder, the copies and the locks are the user's own: the folder is
// made 0700 and used only while, as opened, it belongs to the effective
// user and neither group nor others may write it; copies and locks are
// made 0600, never through a link at their own names, and copies of
// another user are neither offered nor touched.
//
// Nothing is created or opened until the first copy is written; a failure
// costs the copy only (the folder may be read-only, full, missing or not
// the user's), and is told by the result.
class RecoveryFolder {
public:
    explicit RecoveryFolder(std::string folder) : folder_(std::move(folder)) {}
    RecoveryFolder(const RecoveryFolder&) = delete;
    RecoveryFolder& operator=(const RecoveryFolder&) = delete;
    // The editor's normal end: its copy and lock file are removed.
    ~RecoveryFolder();

    const std::string& folder() const { return folder_; }
    // This editor's copy; empty until its lock is taken.
    std::string copyPath() const;

    // Takes this editor's lock, making the folder (private to the user)
    // first; true when it is held, false also for a folder that is not the
    // user's own, with the reason in the user's words given to `reason`.
    bool takeLock(std::string* reason = nullptr);
    // Writes this editor's copy through the one writer, taking the lock
    // first. A folder removed or replaced since the lock was taken is made
    // and locked again, so copies go on where the next start looks for
    // them. False when no copy could be written; an earlier one stays as it
    // was, where it was, and `reason` is given why.
    bool writeCopy(std::span<const std::uint8_t> bytes, std::string* reason = nullptr);
    // Puts the copy's bytes and its name on the disk.
    void syncCopy() const;
    // Removes this editor's copy; the lock is kept.
    void removeCopy();

    // The copies of editors no longer running, newest first: one listing
    // of the folder, then for each "*.bmp" its lock taken and the copy read.
    // Copies held by a running editor or owned by another user, and files
    // that are not copies (damaged, cut short, too large, links, folders,
    // pipes or devices) are skipped and left as they are. Lock files whose
    // editor died before it wrote a copy are removed once their lock is free,
    // and the writer's temporary files older than a minute at `now`.
    std::vector<LeftCopy> leftCopies(std::time_t now = std::time(nullptr)) const;
    // Removes a left copy and its lock file; the lock goes with it.
    static void discard(LeftCopy left);

private:
    bool takeLockHeld(std::string* reason);
    int heldFolderProblem() const;
    bool heldFolderIsReplaced() const;
    std::optional<LeftCopy> takeLeftCopy(int folderFd, const std::string& stem) const;

    std::string folder_;
    std::string copyPath_;
    std::string lockPath_;
    FileDescriptor folderFd_{-1};
    FileDescriptor lock_{-1};
    // The window's thread takes the lock; the disk's thread writes and may
    // take it again. Held for the names and descriptors, never across a
    // write or a sync.
    mutable std::mutex mutex_;
};

} // namespace pimoko
