// files/os/file_system_posix.cpp: the file-system seam on Linux. File types become the
// attribute bits that Windows would report, so the engine above decides by the same rules
// on both platforms. The copy never shows a partial file: see copy_file_posix.h.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "base/task_pool.h"
#include "files/disk_kind.h"
#include "files/os/copy_file_posix.h"
#include "files/os/file_reader_posix.h"
#include "files/os/file_system.h"
#include "files/os/io_hold.h"
#include "files/os/path_parts.h"
#include "files/os/temp_name.h"
#include "files/os/unique_fd_posix.h"
#include "files/texts.h"

namespace tessel::os {
namespace {

// A failed call leaves its errno behind it: the descriptors and the temporary file it closes
// and removes on its way out succeed, and success leaves errno alone.
thread_local int lastFailure = 0;

// A placing that failed: what the system said, for LastFailure.
CopyResult PlacingFailed() {
    lastFailure = errno;
    return CopyResult::Failed;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

// The attribute word a Windows listing would give an entry named `shownName` that is a
// link or not, `led` being what it is (for a link, what the link leads to).
std::uint32_t AttributesOf(std::string_view shownName, bool link, const struct stat& led) {
    std::uint32_t attributes = 0;
    if (!shownName.empty() && shownName.front() == '.') attributes |= AttrHidden;
    if (link) attributes |= AttrReparsePoint;
    if (S_ISDIR(led.st_mode)) {
        attributes |= AttrDirectory;
    } else if (!S_ISREG(led.st_mode)) {
        attributes |= AttrDevice;
    }
    if ((led.st_mode & S_IWUSR) == 0) attributes |= AttrReadOnly;
    return attributes == 0 ? AttrNormal : attributes;
}

// What a Windows listing would say about one entry. `name` is looked up relative to
// `dirFd`. False when the entry vanished between listing and lookup.
bool Describe(int dirFd, const char* name, std::string_view shownName, DirEntry& entry) {
    struct stat own;
    if (::fstatat(dirFd, name, &own, AT_SYMLINK_NOFOLLOW) != 0) return false;
    entry.name = shownName;
    entry.size = 0;
    struct stat led = own;
    const bool link = S_ISLNK(own.st_mode);
    // A dangling link is still an entry, as Windows lists one: a file nobody can read.
    if (link && ::fstatat(dirFd, name, &led, 0) != 0) {
        entry.attributes = AttrReparsePoint | (shownName.starts_with('.') ? AttrHidden : 0);
        return true;
    }
    if (S_ISREG(led.st_mode)) entry.size = static_cast<std::uint64_t>(led.st_size);
    entry.attributes = AttributesOf(shownName, link, led);
    return true;
}

// Hands `name` (in the folder `dirFd`) to `measure`, opened relative to the folder.
// `entry` was described already.
void MeasureEntry(int dirFd, const char* name, const FileMeasure& measure, DirEntry& entry) {
    UniqueFd file(::openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!file) {
        entry.measure = measure(nullptr);
        return;
    }
    HoldIfAsked(IoStep::Measure, entry.name, 0);
    PosixFileReader reader(std::move(file), entry.size);
    entry.measure = measure(&reader);
}

// The listing's usual case, a plain file that is wanted: open it relative to the folder, take
// its size and attributes from the open file and hand it over, all without a look-up by path.
// False when it is not a plain file any more (replaced since the folder was read) or cannot
// be opened: the caller then describes it the slow way.
bool DescribeAndMeasure(int dirFd, const char* name, std::string_view shownName,
                        const FileMeasure& measure, DirEntry& entry) {
    // O_NOFOLLOW: a link that took the file's place is described as a link.
    UniqueFd file(::openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW));
    if (!file) return false;
    struct stat info;
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    entry.name = shownName;
    entry.size = static_cast<std::uint64_t>(info.st_size);
    entry.attributes = AttributesOf(shownName, false, info);
    HoldIfAsked(IoStep::Measure, shownName, 0);
    PosixFileReader reader(std::move(file), entry.size);
    entry.measure = measure(&reader);
    return true;
}

// The folder part of `path` ("." when there is none) and the name after the last '/'.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
    return {std::string(FolderOfPath(path)), std::string(NameOfPath(path))};
}

// A fresh temporary name beside `targetName` in `folder`; never longer than the target's.
std::string TempName(const std::string& folder, std::string_view targetName) {
    return folder + "/" + TemporaryName(targetName, NextTemporarySeed(), '.');
}

// Unlinks a named temporary file unless it was moved into place.
class TempNameGuard {
public:
    explicit TempNameGuard(std::string path) : path_(std::move(path)) {}
    ~TempNameGuard() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TempNameGuard(const TempNameGuard&) = delete;
    TempNameGuard& operator=(const TempNameGuard&) = delete;
    const std::string& Path() const { return path_; }
    void Release() { path_.clear(); }

private:
    std::string path_;
};

constexpr std::size_t ChunkSize = std::size_t{1} << 20;

bool AllZero(const std::uint8_t* data, std::size_t size) {
    return size == 0 || (data[0] == 0 && std::memcmp(data, data + 1, size - 1) == 0);
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

// Whether copy_file_range cannot serve these two files, so read and write must.
bool KernelCopyRefused(int error) {
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// Copies the data, the permission bits and the modification time from `in` to `out`.
// A dense file goes through copy_file_range: no trip through user space, and a shared
// extent where the file system can make one. A sparse file goes through read and write,
// with runs of zeros left as holes, so it stays sparse and costs no writes for them.
CopyResult Fill(int in, const struct stat& source, std::string_view name, int out,
                std::stop_token stop, CopyDurability durability) {
    const auto sourceSize = static_cast<std::uint64_t>(source.st_size);
    const bool sparse = static_cast<std::uint64_t>(source.st_blocks) * 512 < sourceSize;
    // Files of size 0 may still have content (/proc); only read() sees it.
    bool inKernel = !sparse && sourceSize > 0;
    const std::size_t capacity =
        sourceSize < ChunkSize ? static_cast<std::size_t>(sourceSize) + 1 : ChunkSize;
    std::unique_ptr<std::uint8_t[]> buffer;
    off_t total = 0;
    for (;;) {
        if (stop.stop_requested()) return CopyResult::Stopped;
        HoldIfAsked(IoStep::CopyChunk, name, static_cast<std::uint64_t>(total));
        if (stop.stop_requested()) return CopyResult::Stopped;
        ssize_t got = 0;
        if (inKernel) {
            got = ::copy_file_range(in, nullptr, out, nullptr, ChunkSize, 0);
            // EFBIG: the target's end sits at the file-size limit, and the kernel refuses
            // even the step that would find the source's end. Read and write tell the two
            // apart: a read of 0 ends the copy, a write of more fails it.
            if (got < 0 && (KernelCopyRefused(errno) || errno == EFBIG)) {
                inKernel = false;
                continue;
            }
        } else {
            if (!buffer) buffer = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
            got = ::read(in, buffer.get(), capacity);
            if (got > 0 && AllZero(buffer.get(), static_cast<std::size_t>(got))) {
                if (::lseek(out, got, SEEK_CUR) < 0) return CopyResult::Failed;
            } else if (got > 0 && !WriteAll(out, buffer.get(), static_cast<std::size_t>(got))) {
                return CopyResult::Failed;
            }
        }
        if (got < 0) {
            if (errno == EINTR) continue;
            return CopyResult::Failed;
        }
        if (got == 0) break;
        total += got;
    }
    // Gives the file its length when it ends in a hole.
    if (::ftruncate(out, total) != 0) return CopyResult::Failed;
    if (::fchmod(out, source.st_mode & 0777) != 0) return CopyResult::Failed;
    const struct timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
    if (::futimens(out, times) != 0) return CopyResult::Failed;
    // The disk starts on the data now, while the next files are copied; FlushFolder waits
    // for what is left. Only a head start: whether it all arrived is FlushFolder's to say.
    if (durability == CopyDurability::Flushed) {
        (void)::sync_file_range(out, 0, 0, SYNC_FILE_RANGE_WRITE);
    }
    return CopyResult::Copied;
}

bool ProcFdUsable() {
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable;
}

// ResolvedPath of `name` in the folder `dirFd`, which is `path` from here. The kernel follows
// the name in one call and tells the path of what it found; realpath, which looks up and reads
// every component itself, is left for a system without /proc: it made a scan of icon themes
// (15,000 links among 32,000 pictures) take 60% longer than one that follows no link, this 30%.
std::optional<std::string> ResolvedAt(int dirFd, const char* name, const std::string& path) {
    if (!ProcFdUsable()) {
        const std::unique_ptr<char, decltype(&std::free)> resolved(
            ::realpath(path.c_str(), nullptr), &std::free);
        if (!resolved) return std::nullopt;
        return std::string(resolved.get());
    }
    const UniqueFd found(::openat(dirFd, name, O_PATH | O_CLOEXEC));
    if (!found) return std::nullopt;
    const std::string self = "/proc/self/fd/" + std::to_string(found.Get());
    std::string resolved(PATH_MAX, '\0');
    const ssize_t length = ::readlink(self.c_str(), resolved.data(), resolved.size());
    // A path the kernel cannot give whole (past PATH_MAX) comes back as an error or fills the
    // buffer; either way it is not told.
    if (length <= 0 || static_cast<std::size_t>(length) >= resolved.size()) return std::nullopt;
    resolved.resize(static_cast<std::size_t>(length));
    return resolved;
}

// An O_TMPFILE file: no name at all until it is linked in, so not even a crash leaves
// anything behind.
class AnonymousCopy final : public StagedCopy {
public:
    explicit AnonymousCopy(UniqueFd fd) : fd_(std::move(fd)) {}

    CopyResult Place(const std::string& target, bool failIfExists) override {
        HoldIfAsked(IoStep::Place, target, 0);
        const std::string self = "/proc/self/fd/" + std::to_string(fd_.Get());
        if (failIfExists) {
            // linkat never replaces: the name is taken, or it is ours.
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) ==
                0) {
                return Placed();
            }
            return errno == EEXIST ? CopyResult::TargetExists : PlacingFailed();
        }
        // rename() is the only call that replaces, and it needs a name to start from.
        const auto [folder, name] = SplitPath(target);
        for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
            TempNameGuard temp(TempName(folder, name));
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.Path().c_str(),
                         AT_SYMLINK_FOLLOW) != 0) {
                temp.Release();
                if (errno == EEXIST) continue;
                return PlacingFailed();
            }
            // rename() refuses to put a file over a folder (EISDIR): a folder is never replaced.
            if (::rename(temp.Path().c_str(), target.c_str()) != 0) return PlacingFailed();
            temp.Release();
            return Placed();
        }
        return PlacingFailed();
    }

private:
    CopyResult Placed() {
        (void)fd_.Close();  // the data is in place; what it was written with is done
        return CopyResult::Copied;
    }

    UniqueFd fd_;
};

// A hidden name in the folder it was written in, removed unless it was moved into place.
class NamedCopy final : public StagedCopy {
public:
    explicit NamedCopy(std::string temp) : temp_(std::move(temp)) {}

    CopyResult Place(const std::string& target, bool failIfExists) override {
        HoldIfAsked(IoStep::Place, target, 0);
        const char* from = temp_.Path().c_str();
        if (!failIfExists) {
            if (::rename(from, target.c_str()) != 0) return PlacingFailed();
        } else if (::renameat2(AT_FDCWD, from, AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
            if (errno == EEXIST) return CopyResult::TargetExists;
            if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return PlacingFailed();
            // No RENAME_NOREPLACE here: link() refuses an existing name just as well, and the
            // guard then removes the temporary name.
            if (::link(from, target.c_str()) != 0) {
                return errno == EEXIST ? CopyResult::TargetExists : PlacingFailed();
            }
            ::unlink(from);
        }
        temp_.Release();
        return CopyResult::Copied;
    }

private:
    TempNameGuard temp_;
};

std::unique_ptr<StagedCopy> StageNamed(int in, const struct stat& source,
                                       std::string_view sourceName, const std::string& folder,
                                       std::string_view name, std::stop_token stop,
                                       CopyDurability durability, CopyResult& result) {
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        TempNameGuard temp(TempName(folder, name));
        UniqueFd out(::open(temp.Path().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!out) {
            temp.Release();
            if (errno == EEXIST) continue;
            result = CopyResult::Failed;
            return nullptr;
        }
        result = Fill(in, source, sourceName, out.Get(), stop, durability);
        if (result != CopyResult::Copied) return nullptr;
        if (stop.stop_requested()) {
            result = CopyResult::Stopped;
            return nullptr;
        }
        if (!out.Close()) {
            result = CopyResult::Failed;
            return nullptr;
        }
        std::string path = temp.Path();
        temp.Release();
        return std::make_unique<NamedCopy>(std::move(path));
    }
    result = CopyResult::Failed;
    return nullptr;
}

// What CopyFileA refuses to replace: the source itself (under any of its names) and a file
// that is read-only. Told before any data is read. A folder is left to the move, which
// refuses it too.
CopyResult RefusalToReplace(const struct stat& source, const std::string& target) {
    struct stat taken;
    if (::stat(target.c_str(), &taken) != 0) return CopyResult::Copied;
    if (taken.st_dev == source.st_dev && taken.st_ino == source.st_ino) {
        return CopyResult::SameFile;
    }
    if (S_ISREG(taken.st_mode) && (taken.st_mode & S_IWUSR) == 0) return CopyResult::Refused;
    return CopyResult::Copied;
}

}  // namespace

namespace {

// One name of a listing as the listing describes it, relative to the open folder `fd`; false
// when it is left out (gone since, or a link the options refuse).
bool DescribeListed(int fd, const std::string& folder, const char* rawName, unsigned char type,
                    const ListOptions& options, DirEntry& entry) {
    const std::string_view name = rawName;
    const NameFilter& wanted = options.wanted;
    if (options.measure && type == DT_REG &&
        DescribeAndMeasure(fd, rawName, name, options.measure, entry)) {
        return true;
    }
    if (!Describe(fd, rawName, name, entry)) return false;
    const bool file = (entry.attributes & (AttrDirectory | AttrDevice)) == 0;
    if (file && (entry.attributes & AttrReparsePoint) && options.keepLink &&
        (!wanted || wanted(name))) {
        const std::string link = folder + "/" + entry.name;
        if (!options.keepLink(link, ResolvedAt(fd, rawName, link))) return false;
    }
    if (options.measure && file && (!wanted || wanted(name))) {
        MeasureEntry(fd, rawName, options.measure, entry);
    }
    return true;
}

struct ListedName {
    std::string name;
    unsigned char type;
};

}  // namespace

bool ListFolder(const std::string& folder, std::vector<DirEntry>& entries,
                const ListOptions& options) {
    entries.clear();
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (options.refuseLink ? O_NOFOLLOW : 0);
    UniqueFd opened(::open(folder.c_str(), flags));
    if (!opened) return false;
    const UniqueDir dir(::fdopendir(opened.Get()));
    if (!dir) return false;
    const int fd = opened.Release();
    const NameFilter& wanted = options.wanted;
    std::vector<ListedName> names;  // with a pool: described once the names are all read
    for (;;) {
        // readdir says "no more" and "cannot read on" with the same null; only errno tells
        // them apart (EOVERFLOW for a large inode number without large-file support, EIO on a
        // failing disk). A listing that breaks off is no end of the folder: what it gave is
        // not the folder.
        errno = 0;
        const dirent* e = ::readdir(dir.get());
        if (e == nullptr) {
            if (errno == 0) break;
            entries.clear();
            return false;
        }
        if (options.stop.stop_requested()) break;
        const std::string_view name = e->d_name;
        if (name == "." || name == "..") continue;
        // DT_UNKNOWN (some file systems never fill d_type) is looked up like the rest.
        if (wanted && e->d_type == DT_REG && !wanted(name)) continue;
        if (options.pool) {
            names.push_back({e->d_name, e->d_type});
            continue;
        }
        DirEntry entry;
        if (DescribeListed(fd, folder, e->d_name, e->d_type, options, entry)) {
            entries.push_back(std::move(entry));
        }
    }
    if (!options.pool) return true;
    std::vector<std::optional<DirEntry>> described(names.size());
    options.pool->ForEach(names.size(), [&](std::size_t i) {
        if (options.stop.stop_requested()) return;
        DirEntry entry;
        if (DescribeListed(fd, folder, names[i].name.c_str(), names[i].type, options, entry)) {
            described[i] = std::move(entry);
        }
    });
    for (std::optional<DirEntry>& entry : described) {
        if (entry) entries.push_back(std::move(*entry));
    }
    return true;
}

bool GetEntry(const std::string& path, DirEntry& entry) {
    if (path.empty() || path.back() == '/') return false;
    return Describe(AT_FDCWD, path.c_str(), NameOfPath(path), entry);
}

std::optional<std::string> ResolvedPath(const std::string& path) {
    return ResolvedAt(AT_FDCWD, path.c_str(), path);
}

namespace posix {

std::unique_ptr<StagedCopy> StageWith(TempKind kind, const std::string& source,
                                      const std::string& folder, std::string_view targetName,
                                      std::stop_token stop, CopyDurability durability,
                                      CopyResult& result, const struct stat* opened) {
    result = CopyResult::Failed;
    if (stop.stop_requested()) {
        result = CopyResult::Stopped;
        return nullptr;
    }
    if (targetName.empty()) return nullptr;
    const std::string_view sourceName = NameOfPath(source);
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused just below.
    const UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!in) return nullptr;
    struct stat info;
    if (::fstat(in.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    // The caller looked at the source already (to refuse replacing it): the same file, or
    // it changed meanwhile and is no source to trust.
    if (opened && (opened->st_dev != info.st_dev || opened->st_ino != info.st_ino)) return nullptr;
    if (::fcntl(in.Get(), F_SETFL, 0) != 0) return nullptr;

    if (kind == TempKind::Anonymous && ProcFdUsable()) {
        UniqueFd out(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
        if (out) {
            result = Fill(in.Get(), info, sourceName, out.Get(), stop, durability);
            if (result != CopyResult::Copied) return nullptr;
            // A stop that came during the last chunk still wins: the front end has shown
            // the run as it stood, and this file was not in it.
            if (stop.stop_requested()) {
                result = CopyResult::Stopped;
                return nullptr;
            }
            return std::make_unique<AnonymousCopy>(std::move(out));
        }
        // Kernels without O_TMPFILE say EISDIR, file systems without it EOPNOTSUPP.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return nullptr;
    }
    return StageNamed(in.Get(), info, sourceName, folder, targetName, stop, durability, result);
}

CopyResult CopyFileWith(TempKind kind, const std::string& source, const std::string& target,
                        bool failIfExists, std::stop_token stop, CopyDurability durability) {
    if (stop.stop_requested()) return CopyResult::Stopped;
    const auto [folder, name] = SplitPath(target);
    if (name.empty()) return CopyResult::Failed;
    struct stat info;
    if (!failIfExists) {
        if (::stat(source.c_str(), &info) != 0) return CopyResult::Failed;
        const CopyResult refusal = RefusalToReplace(info, target);
        if (refusal != CopyResult::Copied) return refusal;
    }
    CopyResult result = CopyResult::Failed;
    const std::unique_ptr<StagedCopy> staged =
        StageWith(kind, source, folder, name, std::move(stop), durability, result,
                  failIfExists ? nullptr : &info);
    if (!staged) return result;
    return staged->Place(target, failIfExists);
}

}  // namespace posix

CopyResult CopyFileTo(const std::string& source, const std::string& target, bool failIfExists,
                      std::stop_token stop, CopyDurability durability) {
    errno = 0;
    const CopyResult result = posix::CopyFileWith(posix::TempKind::Anonymous, source, target,
                                                  failIfExists, std::move(stop), durability);
    if (result == CopyResult::Failed) lastFailure = errno;
    return result;
}

CopyResult RefusalToReplace(const std::string& source, const std::string& target) {
    struct stat info;
    if (::stat(source.c_str(), &info) != 0) return CopyResult::Copied;  // the copy will say
    return RefusalToReplace(info, target);
}

std::unique_ptr<StagedCopy> StageCopy(const std::string& source, const std::string& folder,
                                      std::string_view targetName, std::stop_token stop,
                                      CopyDurability durability, CopyResult& result) {
    errno = 0;
    std::unique_ptr<StagedCopy> staged =
        posix::StageWith(posix::TempKind::Anonymous, source, folder, targetName, std::move(stop),
                         durability, result, nullptr);
    if (!staged && result == CopyResult::Failed) lastFailure = errno;
    return staged;
}

int LastFailure() {
    return lastFailure;
}

std::string FailureText(int code) {
    if (code == 0) return text::NotARegularFile;
    return std::strerror(code);
}

bool RemoveFile(const std::string& path) {
    HoldIfAsked(IoStep::Remove, path, 0);
    if (::unlink(path.c_str()) == 0) return true;
    lastFailure = errno;
    return false;
}

bool FlushFolder(const std::string& folder) {
    HoldIfAsked(IoStep::Flush, folder, 0);
    const UniqueFd opened(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // syncfs reports a write that failed since the file system was last flushed (Linux 5.8
    // on); the folder's own entries are flushed with the rest of its file system.
    if (opened && ::syncfs(opened.Get()) == 0) return true;
    lastFailure = errno;
    return false;
}

std::unique_ptr<FileReader> OpenForVerifying(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd) return nullptr;
    // Only clean pages go; a copy that FlushFolder has covered has no other kind. What the
    // reads then get comes from the disk.
    (void)::posix_fadvise(fd.Get(), 0, 0, POSIX_FADV_DONTNEED);
    return std::make_unique<PosixFileReader>(std::move(fd));
}

MoveResult RenameFile(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return MoveResult::Moved;
    }
    if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
        // No RENAME_NOREPLACE on this file system: link() refuses a taken name as well.
        if (::link(from.c_str(), to.c_str()) == 0) {
            if (::unlink(from.c_str()) == 0) return MoveResult::Moved;
            const int error = errno;
            ::unlink(to.c_str());
            errno = error;
        }
    }
    if (errno == EEXIST) return MoveResult::TargetExists;
    if (errno == EXDEV) return MoveResult::OtherVolume;
    lastFailure = errno;
    return MoveResult::Failed;
}

bool IsSameFile(const std::string& first, const std::string& second) {
    struct stat one;
    struct stat other;
    return ::stat(first.c_str(), &one) == 0 && ::stat(second.c_str(), &other) == 0 &&
           one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

bool MakeFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0;
}

DiskFacts DiskFactsOf(const std::string& folder) {
    DiskFacts facts;
    struct statfs system;
    if (::statfs(folder.c_str(), &system) == 0) {
        facts.remote = IsRemoteFileSystem(static_cast<std::uint64_t>(system.f_type));
    }
    struct stat info;
    if (facts.remote || ::stat(folder.c_str(), &info) != 0) return facts;
    // A partition's own folder has no queue; the whole disk's, one level up, has.
    const std::string block = "/sys/dev/block/" + std::to_string(major(info.st_dev)) + ":" +
                              std::to_string(minor(info.st_dev));
    for (const char* queue : {"/queue/rotational", "/../queue/rotational"}) {
        if (std::FILE* file = std::fopen((block + queue).c_str(), "r")) {
            const int c = std::fgetc(file);
            std::fclose(file);
            if (c == '0' || c == '1') {
                facts.seekPenalty = c == '1';
                break;
            }
        }
    }
    return facts;
}

bool RemoveFolder(const std::string& path) {
    if (::rmdir(path.c_str()) == 0) return true;
    lastFailure = errno;
    return false;
}

}  // namespace tessel::os
