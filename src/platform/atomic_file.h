#pragma once
// Writing a file so that it never replaces an older one of that name until it
// is whole. The bytes go to a temporary file in the target's folder (so the
// final rename stays on one file system and is atomic); commit() renames it
// over the target. A file that is never committed, or whose writing failed, is
// removed when the AtomicFile goes, and the older file stays as it was. A
// path that is a link is replaced itself, so that a link planted in a shared
// folder cannot send the bytes elsewhere; only a file that asks to follow its
// links (the settings file, kept among linked dotfiles) replaces the file the
// link names, and then never through a link that the kernel would refuse to
// follow. A target the user may not write, or that nobody may write, is never
// replaced. The file and then its folder are flushed to the disk before
// commit() reports success. Every failure is noted (failure_note.h) with the
// target's path and the system's reason. The first write into a folder
// removes the temporary files that killed writers of this host left there:
// only those named as this class names them, the user's own regular files,
// unchanged for ten minutes, whose process is gone.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plexo::platform {

class AtomicFile {
public:
    enum class Links { Replace, Follow };
    explicit AtomicFile(std::string path, Links links = Links::Replace);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // False once the temporary file could not be made or any write failed;
    // later writes then do nothing and commit() fails.
    bool ok() const { return fd_ >= 0 && !failed_; }

    // Appends at the end of what was written so far.
    bool write(const void* data, size_t size);
    // Overwrites bytes already written (a header filled in at the end); the
    // append position does not move.
    bool writeAt(uint64_t offset, const void* data, size_t size);

    // Flushes what was written and sets the disk writing it, without waiting
    // for it: the sync in commit() then finds little or nothing left to wait
    // for. A writer of many files starts each on a worker thread and commits
    // them in order on one, so the workers never wait for the disk.
    bool startSync();

    // Waits for the disk to hold what was written so far, once `least` bytes
    // or more have come since the last wait: a writer with time to spare
    // spreads over the run the wait that commit() would otherwise take whole
    // at the end. False, and the file failed, when the disk reports an error.
    bool syncSoFar(uint64_t least);

    // Closes the temporary file and renames it over the target, and syncs the
    // folder unless its caller will (a writer of many files into one folder
    // syncs it once, after the last, before it reports success). False when
    // anything failed; the temporary file is then gone and the target untouched.
    enum class Folder { Sync, LeaveToCaller };
    bool commit(Folder folder = Folder::Sync);

private:
    bool flush();
    bool fail(int error);
    void startWriteback(uint64_t least);
    void discard();

    std::string path_;
    std::string tempPath_;
    int fd_ = -1;
    bool failed_ = false;
    uint64_t size_ = 0;  // bytes appended, flushed or buffered
    uint64_t writebackFrom_ = 0;  // where the disk was last set to writing
    uint64_t syncedTo_ = 0;       // and where it was last waited for
    std::vector<uint8_t> buffer_;
};

// Flushes the names in the folder of `path` to the disk.
bool SyncFolderOf(const std::string& path);

// Writes a whole file in one go through an AtomicFile.
bool ReplaceFileWith(const std::string& path, const void* data, size_t size);

}  // namespace plexo::platform
