// files/os/file_system.h: everything the engine needs from the operating system's file
// system. Two implementations: file_system_win32.cpp (the wide ...W calls) and
// file_system_posix.cpp. Paths are UTF-8 on both. Nothing above this header includes
// <windows.h> or <dirent.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "files/code_page.h"

namespace tessel {
class TaskPool;
}

namespace tessel::os {

// Attribute bits as Windows reports them; the POSIX side maps its file types onto them.
inline constexpr std::uint32_t AttrReadOnly = 0x01;
inline constexpr std::uint32_t AttrHidden = 0x02;
inline constexpr std::uint32_t AttrDirectory = 0x10;
// Not a file nor a folder: a FIFO, socket or device node (POSIX only), or a link to one.
// Reading one can block forever, so the scan never takes it.
inline constexpr std::uint32_t AttrDevice = 0x40;
inline constexpr std::uint32_t AttrNormal = 0x80;
inline constexpr std::uint32_t AttrReparsePoint = 0x400;

// The code page of every path text: UTF-8 on both platforms.
inline constexpr CodePage NativeCodePage = CodePage::Utf8;

// The separator between a folder and a name, every character the platform takes as one, and
// the longest path the platform's calls accept in bytes, terminator included (0: none of the
// engine's own).
#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
inline constexpr std::string_view PathSeparators = "\\/";
// The wide calls take the long form up to 32,767 UTF-16 units and refuse what is longer
// themselves; a folder they cannot list contributes nothing.
inline constexpr std::size_t MaxPath = 0;
#else
inline constexpr char PathSeparator = '/';
inline constexpr std::string_view PathSeparators = "/";
inline constexpr std::size_t MaxPath = 4096;
#endif

struct DirEntry {
    std::string name;
    std::uint32_t attributes = 0;  // Attr... bits
    std::uint64_t size = 0;        // full 64-bit size; 0 for folders
    std::int32_t measure = 0;      // what ListOptions::measure gave for this entry, if it ran
};

class FileReader;

// Reads what it needs of one file that a listing hands over: `file` is open for reading, or
// nullptr when it could not be opened. Its result is kept in DirEntry::measure.
using FileMeasure = std::function<std::int32_t(FileReader* file)>;

// Lists `folder` (no trailing separator) in the order the OS delivers its entries,
// without "." and "..". A symbolic link or junction carries AttrReparsePoint, and
// AttrDirectory too when it leads to a folder. Returns false when the listing cannot
// be started (missing, unreadable, path too long) or breaks off before its end (a read error
// of the disk); `entries` is then empty.
// POSIX reports a link's size and read-only bit from what it leads to (Windows reports the
// link's own), a name that starts with "." as hidden, and a file the owner cannot write as
// read-only.
//
// With `wanted`, a name it refuses is left out when the listing itself shows a plain file
// (no folder, link or device): on POSIX that spares the look-up of its size and attributes,
// which is most of a scan's time in a tree of mostly other files. Every other entry is
// listed whatever `wanted` says.
using NameFilter = std::function<bool(std::string_view name)>;

struct ListOptions {
    NameFilter wanted;  // as above
    // Called for every entry that is neither a folder nor a device and whose name `wanted`
    // accepts, while the folder is listed. On POSIX the file is opened relative to the open
    // folder and its size and attributes come from the open file, so a file costs open,
    // fstat, read and close and no look-up by its path; on Windows they come from the find
    // data. Without it no file is opened.
    FileMeasure measure;
    // Tested before each entry: once it is requested the listing ends where it is.
    std::stop_token stop;
    // The folder is listed only if it is a folder itself, not a link or junction to one: the
    // test and the opening are one step on POSIX (O_NOFOLLOW), so a folder swapped for a
    // link after its parent was listed is not followed.
    bool refuseLink = false;
    // Asked about every link that leads to a file (or nowhere) and whose name `wanted`
    // accepts, before it is measured, with the link's path and where it leads (as ResolvedPath
    // gives it, found from the open folder): a link it refuses is left out. Without it such
    // links are listed like files. On Windows a link is a reparse point that IsFileLink
    // (reparse_tag.h) calls one; under Wine a Unix link to a file shows no reparse point at
    // all (attributes 0x20 and the size of what it leads to), so it is never asked about there.
    std::function<bool(const std::string& link, const std::optional<std::string>& target)> keepLink;
    // With a pool, the entries are described (and measured, and their links asked about) on
    // its threads, several at a time, once the folder's names are read; `measure` and
    // `keepLink` must then bear being called from several threads at once. The entries come
    // in the same order and with the same contents as without one.
    TaskPool* pool = nullptr;
};
bool ListFolder(const std::string& folder, std::vector<DirEntry>& entries,
                const ListOptions& options);

// With the name filter alone; built on the one above, so both seams share it.
inline bool ListFolder(const std::string& folder, std::vector<DirEntry>& entries,
                       const NameFilter& wanted = {}) {
    ListOptions options;
    options.wanted = wanted;
    return ListFolder(folder, entries, options);
}

// Looks up the one entry that `path` names, as its folder's listing would report it. A path
// that ends in a separator is never found, nor on Windows a bare drive ("C:") or a path with
// wildcards (no name has them). Returns false when nothing is there.
bool GetEntry(const std::string& path, DirEntry& entry);

// `path` as the file system finally finds it: absolute, with every link on the way resolved
// (its own, a chain of them, and those among its folders), in one form for every path, so that
// the results for a folder and for what lies in it begin alike (POSIX: the path the kernel
// tells for what it opened; Windows: GetFinalPathNameByHandleW, "\\?\C:\..."). nullopt when
// nothing can be opened there (a dangling link, a loop of links, a folder that may not be
// searched) or when what is there has no path the platform can give (longer than its limit).
std::optional<std::string> ResolvedPath(const std::string& path);

// A file opened for reading, closed by its destructor.
class FileReader {
public:
    virtual ~FileReader() = default;
    // Reads up to buffer.size() bytes at `offset`; returns how many were read (0 at the
    // end of the file or on a read error).
    virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) = 0;
    virtual std::uint64_t Size() const = 0;
};

// Opens an existing file for reading. nullptr when it cannot be opened. What is not a
// regular file either fails to open (always on Windows) or opens and reads nothing: on
// POSIX the type is not looked up first, a measurement costs one system call less that
// way, and the folder scan hands over regular files only.
std::unique_ptr<FileReader> OpenForReading(const std::string& path);

// Opens an existing file to be read whole, as the copy planner compares a found file with a
// copy. Unlike OpenForReading it shares the file with other readers on Windows: a picture
// that a viewer holds open still compares. nullptr when it cannot be opened.
std::unique_ptr<FileReader> OpenForComparing(const std::string& path);

enum class CopyResult {
    Copied,        // the whole file stands under the target name
    TargetExists,  // fail-if-exists was asked and the name was taken: nothing written
    // Replacing was asked, but the target is read-only (on Windows also hidden or system),
    // which CopyFileA refuses to replace: nothing written, the target keeps its bytes.
    Refused,
    SameFile,  // the target is the source itself, or another name of it: nothing written
    Stopped,   // the stop was requested: nothing left behind
    Failed,    // read error, disk full, target is a folder, ...: nothing left behind
};

// How far a copy's bytes must have gone before others may rely on them.
enum class CopyDurability {
    Cached,  // as cp: the system writes them to the disk when it likes
    // A source is to be removed once the copy stands, or the copy is to be read back from the
    // disk: its data goes to the disk before anything relies on it. Windows flushes each copy
    // before it takes its name (FlushFileBuffers, then a write-through move), since flushing
    // a whole volume at once needs an administrator. POSIX only starts the data's writeback
    // before the name, without waiting; FlushFolder then waits for a whole group of copies
    // at once, which costs one flush of the disk instead of one per file.
    Flushed,
};

// A complete copy of a file that has no name in the destination yet: nothing under any name
// shows it. It goes with this object unless Place gave it a name.
class StagedCopy {
public:
    virtual ~StagedCopy() = default;
    // Gives the copy the name `target`, in the folder it was staged in or in another folder
    // of the same file system. With `failIfExists` a taken name is never touched: the result
    // is TargetExists and the copy stays staged, for another name. Without it an existing
    // file is replaced (never a folder). Failed for a folder on another file system too: the
    // caller then stages again there.
    virtual CopyResult Place(const std::string& target, bool failIfExists) = 0;
};

// Copies the data of `source` into a new file in `folder` that has no name yet, with the
// modification time (and on POSIX the permission bits, without set-id bits) of the source.
// `targetName` is the name the copy is meant for: no temporary name is longer (temp_name.h),
// so the staging fits wherever the copy fits. The stop token is tested between chunks of about
// 1 MiB. nullptr when no copy could be made: `result` then says why (Stopped or Failed; the
// system's code with LastFailure), and nothing is left behind.
std::unique_ptr<StagedCopy> StageCopy(const std::string& source, const std::string& folder,
                                      std::string_view targetName, std::stop_token stop,
                                      CopyDurability durability, CopyResult& result);

// Copies `source` to `target`: StageCopy in the target's folder, then Place, so no partial
// file is ever seen under any name once the call returns, whatever the outcome. With
// `failIfExists` an existing target is never touched (no race: the placing itself refuses).
// Without it an existing file is replaced, but never a folder, never a read-only (Windows:
// hidden or system) file and never the source itself; those are told before any data is read.
CopyResult CopyFileTo(const std::string& source, const std::string& target, bool failIfExists,
                      std::stop_token stop = {},
                      CopyDurability durability = CopyDurability::Cached);

// What replacing `target` with a copy of `source` would be refused for, told before any data
// is read: SameFile, Refused (a read-only, on Windows also hidden or system, file), or Copied
// when it may go ahead (no file there, or one that may be replaced).
CopyResult RefusalToReplace(const std::string& source, const std::string& target);

// Makes durable what copies with CopyDurability::Flushed have written into `folder`: their
// data and the entries that name them, so that a power failure or a pulled disk after it
// returns loses none of them. POSIX: syncfs of the file system that holds `folder`, which
// covers any number of copies in one call. Windows: the copies flushed their data themselves;
// here the folder's entries, where the file system lets a folder be flushed. False when the
// system says it could not: nothing that relies on the copies may then go ahead.
bool FlushFolder(const std::string& folder);

// Opens a copy to be read back from the disk rather than from the system's cache of what was
// written: POSIX drops the file's cached pages first (they are clean once FlushFolder has
// returned); Windows reads it unbuffered. A drive's own cache lies beyond this. nullptr when it
// cannot be opened.
std::unique_ptr<FileReader> OpenForVerifying(const std::string& path);

enum class MoveResult {
    Moved,         // `to` names the file now, and `from` no longer does
    TargetExists,  // `to` was taken: nothing changed
    OtherVolume,   // `to` lies on another file system: a copy must go instead
    Failed,
};
// Renames one file to `to`, whose folder must exist, never replacing anything there.
MoveResult RenameFile(const std::string& from, const std::string& to);

// Whether `first` and `second` name one and the same file (a second name of it, a link to it).
// False when either cannot be looked up.
bool IsSameFile(const std::string& first, const std::string& second);

// The system's code (errno, GetLastError) for why the calling thread's last copy call that
// returned Failed (StageCopy, Place, CopyFileTo), or its last RemoveFile, FlushFolder,
// RenameFile or RemoveFolder that failed, failed; 0 when the system gave none (the source is
// no regular file, ...).
int LastFailure();
// The system's own text for such a code, in one line of UTF-8 ("No space left on device");
// for 0 a text of our own.
std::string FailureText(int code);

// What the system says of the disk that holds a folder, for how many calls to keep in flight.
struct DiskFacts {
    // A network file system (a share, a FUSE mount, which may be anything), or on Windows a
    // remote drive.
    bool remote = false;
    // Whether reading at another place costs a seek (a spinning disk); unknown when the system
    // does not say (Linux: the block device's queue/rotational; Windows: the volume's seek
    // penalty). Virtual disks often say so whatever lies beneath.
    std::optional<bool> seekPenalty;
};
// Best effort: a folder whose disk cannot be asked gives the facts of nothing known.
DiskFacts DiskFactsOf(const std::string& folder);

// Removes one file (a link itself, not what it leads to). False when it cannot.
bool RemoveFile(const std::string& path);

// Creates one folder; its parent must exist. False when it cannot be made (also when
// something of that name exists).
bool MakeFolder(const std::string& path);

// Removes one empty folder. False when it cannot (it holds something, it is not there).
bool RemoveFolder(const std::string& path);

}  // namespace tessel::os
