// files/os/file_system_win32.cpp: the file-system seam on Windows, through the wide calls.
// The engine's paths are UTF-8; here they become UTF-16, in the long form past MAX_PATH
// (wide_path_win32.h), so names that code page 932 cannot write (café, 한국, emoji) and
// trees deeper than MAX_PATH are found and copied like any other. The copy writes to a
// temporary name beside the target and moves it into place with MoveFileExW, which without
// MOVEFILE_REPLACE_EXISTING refuses a taken name itself; a name taken meanwhile leaves the
// staged copy for another name.
#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "base/task_pool.h"
#include "files/os/file_reader_win32.h"
#include "files/os/file_system.h"
#include "files/os/io_hold.h"
#include "files/os/path_parts.h"
#include "files/os/reparse_tag.h"
#include "files/os/temp_name.h"
#include "files/os/unique_handle_win32.h"
#include "files/os/wide_path_win32.h"
#include "files/texts.h"

namespace tessel::os {
namespace {

constexpr DWORD ChunkSize = 1u << 20;

DirEntry EntryFrom(const WIN32_FIND_DATAW& data) {
    DirEntry entry;
    entry.name = Utf8Of(data.cFileName);
    entry.attributes = data.dwFileAttributes;
    entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return entry;
}

DWORD AttributesOf(const std::string& path) {
    return ::GetFileAttributesW(WidePath(path).c_str());
}

// Marks an open file to be deleted when its last handle closes, or takes that back.
bool SetDeletePending(HANDLE file, bool pending) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = pending ? TRUE : FALSE;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                        sizeof disposition) != 0;
}

// A temporary file beside the target: deleted by the destructor unless it was moved into
// place. The handle is closed first, or the delete would fail. Until its data is complete
// the file is also marked for deletion with its handle, so that a process that ends under
// it (killed, or ended by the session's end while a stopped copy waits for a disk that does
// not answer) leaves nothing behind either: the system closes the handle and removes it.
// Wine does the same, also for a process it terminates.
class TempFile {
public:
    // Creates a fresh name in `folder`, never longer than `targetName`; false when the folder
    // takes no new file.
    bool Create(const std::string& folder, std::string_view targetName) {
        for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
            path_ = WidePath(folder + "\\" + TemporaryName(targetName, NextTemporarySeed(), '~'));
            file_ = UniqueFile(::CreateFileW(path_.c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file_) {
                // Where the file system cannot mark it, only the destructor removes it.
                pending_ = SetDeletePending(file_.Get(), true);
                return true;
            }
            const DWORD error = ::GetLastError();
            path_.clear();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
        }
        return false;
    }
    ~TempFile() {
        file_.Reset();
        if (!path_.empty()) ::DeleteFileW(path_.c_str());
    }

    HANDLE Handle() const { return file_.Get(); }
    const std::wstring& Path() const { return path_; }
    // The data is complete: the file is to outlive its handle, and closing it reports a
    // write that failed late.
    bool Close() {
        if (pending_ && !SetDeletePending(file_.Get(), false)) return false;
        pending_ = false;
        return file_.Reset();
    }
    void Keep() { path_.clear(); }

private:
    std::wstring path_;  // as the wide calls take it
    UniqueFile file_;
    bool pending_ = false;  // marked for deletion with its handle
};

bool WriteAll(HANDLE file, const std::uint8_t* data, DWORD size) {
    while (size > 0) {
        DWORD put = 0;
        if (!::WriteFile(file, data, size, &put, nullptr) || put == 0) return false;
        data += put;
        size -= put;
    }
    return true;
}

CopyResult Fill(HANDLE in, std::string_view name, HANDLE out, std::stop_token stop) {
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(ChunkSize);
    std::uint64_t total = 0;
    for (;;) {
        if (stop.stop_requested()) return CopyResult::Stopped;
        HoldIfAsked(IoStep::CopyChunk, name, total);
        if (stop.stop_requested()) return CopyResult::Stopped;
        DWORD got = 0;
        if (!::ReadFile(in, buffer.get(), ChunkSize, &got, nullptr)) return CopyResult::Failed;
        if (got == 0) return CopyResult::Copied;
        if (!WriteAll(out, buffer.get(), got)) return CopyResult::Failed;
        total += got;
    }
}

// Whether two open handles are one file: the same volume and the same file index.
bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION first;
    BY_HANDLE_FILE_INFORMATION second;
    return ::GetFileInformationByHandle(a, &first) && ::GetFileInformationByHandle(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

// What CopyFileA refuses to replace: the source itself (under any of its names) and a file
// that is read-only, hidden or system. Told before any data is read. Wine's own CopyFile and
// MoveFileEx replace such files, so the attributes are looked at here, not left to the move.
CopyResult RefusalToReplace(HANDLE source, const std::wstring& target) {
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return CopyResult::Copied;
    // Attribute access only: no sharing mode stands in its way, not even the source's own.
    const UniqueFile taken(::CreateFileW(target.c_str(), FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                         nullptr));
    if (taken && SameFile(source, taken.Get())) return CopyResult::SameFile;
    const DWORD protectedBits =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && (attributes & protectedBits) != 0) {
        return CopyResult::Refused;
    }
    return CopyResult::Copied;
}

// What the listing asks beyond the find data for one entry: whether a link to a file is
// kept, and the measurement of a file. False when the entry is left out.
bool FinishEntry(const std::string& folder, DWORD reparseTag, const ListOptions& options,
                 DirEntry& entry) {
    const bool wanted = !options.wanted || options.wanted(entry.name);
    if (options.keepLink && IsFileLink(entry.attributes, reparseTag) && wanted) {
        const std::string link = folder + "\\" + entry.name;
        if (!options.keepLink(link, ResolvedPath(link))) return false;
    }
    // The size and attributes are the find data's: the file is opened only to be read.
    if (options.measure &&
        (entry.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0 && wanted) {
        UniqueFile file = OpenUnshared(folder + "\\" + entry.name);
        HoldIfAsked(IoStep::Measure, entry.name, 0);
        if (file) {
            Win32FileReader reader(std::move(file), entry.size);
            entry.measure = options.measure(&reader);
        } else {
            entry.measure = options.measure(nullptr);
        }
    }
    return true;
}

}  // namespace

bool ListFolder(const std::string& folder, std::vector<DirEntry>& entries,
                const ListOptions& options) {
    entries.clear();
    const DWORD special =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    if (options.refuseLink) {
        const DWORD attributes = AttributesOf(folder);
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
                FILE_ATTRIBUTE_DIRECTORY) {
            return false;
        }
    }
    WIN32_FIND_DATAW data;
    // Basic: no short 8.3 names, which nothing here reads.
    const UniqueFind find(::FindFirstFileExW(WidePath(folder, L"\\*").c_str(), FindExInfoBasic,
                                             &data, FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return false;
    // With a pool the entries are finished (links asked about, files measured) once the
    // listing is read; `kept` says which of them stay.
    std::vector<bool> kept;
    std::vector<DWORD> reserved;
    do {
        if (options.stop.stop_requested()) break;
        const std::wstring_view wideName = data.cFileName;
        if (wideName == L"." || wideName == L"..") continue;
        DirEntry entry = EntryFrom(data);
        const bool plain = (data.dwFileAttributes & special) == 0;
        if (options.wanted && plain && !options.wanted(entry.name)) continue;
        if (options.pool) {
            entries.push_back(std::move(entry));
            reserved.push_back(data.dwReserved0);
            continue;
        }
        if (FinishEntry(folder, data.dwReserved0, options, entry))
            entries.push_back(std::move(entry));
    } while (::FindNextFileW(find.Get(), &data));
    // A listing that breaks off is no end of the folder: what it gave is not the folder.
    if (!options.stop.stop_requested() && ::GetLastError() != ERROR_NO_MORE_FILES) {
        entries.clear();
        return false;
    }
    if (!options.pool) return true;
    kept.assign(entries.size(), false);
    options.pool->ForEach(entries.size(), [&](std::size_t i) {
        if (options.stop.stop_requested()) return;
        kept[i] = FinishEntry(folder, reserved[i], options, entries[i]);
    });
    std::size_t next = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!kept[i]) continue;
        if (next != i) entries[next] = std::move(entries[i]);  // never onto itself
        ++next;
    }
    entries.resize(next);
    return true;
}

bool GetEntry(const std::string& path, DirEntry& entry) {
    // "C:\a\" names nothing, as its listing would not show it; nor does a bare drive "C:"
    // (the calls would take it for that drive's current folder).
    if (path.empty() || path.back() == '\\' || path.back() == '/') return false;
    if (path.size() == 2 && path[1] == ':') return false;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) {
        return false;
    }
    entry.name = NameOfPath(path);
    entry.attributes = data.dwFileAttributes;
    entry.size = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                     ? 0
                     : (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

std::optional<std::string> ResolvedPath(const std::string& path) {
    // No access and every sharing: a file that another program holds open, or that we may not
    // read, is resolved all the same. Backup semantics: a folder can be opened too.
    const UniqueFile opened(::CreateFileW(
        WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!opened) return std::nullopt;
    // Normalized: the names as the folders hold them, whatever case the path was given in.
    constexpr DWORD form = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    const DWORD needed = ::GetFinalPathNameByHandleW(opened.Get(), nullptr, 0, form);
    if (needed == 0) return std::nullopt;
    std::wstring wide(needed, L'\0');
    const DWORD got = ::GetFinalPathNameByHandleW(opened.Get(), wide.data(), needed, form);
    if (got == 0 || got >= needed) return std::nullopt;
    wide.resize(got);
    return Utf8Of(wide);
}

namespace {

thread_local int lastFailure = 0;

// A complete copy under a temporary name beside where it was written, deleted unless it was
// moved to its name.
class Win32StagedCopy final : public StagedCopy {
public:
    Win32StagedCopy(std::unique_ptr<TempFile> temp, bool writeThrough)
        : temp_(std::move(temp)), writeThrough_(writeThrough) {}

    CopyResult Place(const std::string& target, bool failIfExists) override {
        HoldIfAsked(IoStep::Place, target, 0);
        // Replacing never takes a folder's place: MoveFileExW refuses (access denied). A
        // folder on another volume is refused too (no MOVEFILE_COPY_ALLOWED): the caller
        // stages there instead.
        DWORD flags = failIfExists ? 0 : MOVEFILE_REPLACE_EXISTING;
        if (writeThrough_) flags |= MOVEFILE_WRITE_THROUGH;
        if (!::MoveFileExW(temp_->Path().c_str(), WidePath(target).c_str(), flags)) {
            const DWORD error = ::GetLastError();
            const bool taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
            if (failIfExists && taken) return CopyResult::TargetExists;
            lastFailure = static_cast<int>(error);
            return CopyResult::Failed;
        }
        temp_->Keep();
        return CopyResult::Copied;
    }

private:
    std::unique_ptr<TempFile> temp_;
    bool writeThrough_;
};

struct SourceFile {
    UniqueFile handle;
    FILETIME written{};
};

// The source opened to be copied; reading it is shared with other readers only.
bool OpenSource(const std::string& source, SourceFile& opened) {
    opened.handle =
        UniqueFile(::CreateFileW(WidePath(source).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    return opened.handle && ::GetFileTime(opened.handle.Get(), nullptr, nullptr, &opened.written);
}

std::unique_ptr<StagedCopy> StageOpened(SourceFile& in, const std::string& source,
                                        const std::string& folder, std::string_view targetName,
                                        std::stop_token stop, CopyDurability durability,
                                        CopyResult& result) {
    result = CopyResult::Failed;
    auto temp = std::make_unique<TempFile>();
    if (!temp->Create(folder, targetName)) return nullptr;
    result = Fill(in.handle.Get(), NameOfPath(source), temp->Handle(), stop);
    if (result != CopyResult::Copied) return nullptr;
    // A stop that came during the last chunk still wins: the front end has shown the run as
    // it stood, and this file was not in it.
    if (stop.stop_requested()) {
        result = CopyResult::Stopped;
        return nullptr;
    }
    result = CopyResult::Failed;
    if (!::SetFileTime(temp->Handle(), nullptr, nullptr, &in.written)) return nullptr;
    const bool flushed = durability == CopyDurability::Flushed;
    // The data is on the disk before the copy can take a name that others rely on.
    if (flushed && !::FlushFileBuffers(temp->Handle())) return nullptr;
    if (!temp->Close()) return nullptr;
    result = CopyResult::Copied;
    return std::make_unique<Win32StagedCopy>(std::move(temp), flushed);
}

void NoteFailure(CopyResult result) {
    if (result == CopyResult::Failed) lastFailure = static_cast<int>(::GetLastError());
}

}  // namespace

// A failed call leaves its error behind it: the handles it closes on its way out close, and
// success leaves the last error alone.
CopyResult CopyFileTo(const std::string& source, const std::string& target, bool failIfExists,
                      std::stop_token stop, CopyDurability durability) {
    ::SetLastError(ERROR_SUCCESS);
    if (stop.stop_requested()) return CopyResult::Stopped;
    const std::string folder(FolderOfPath(target));
    const std::string_view name = NameOfPath(target);
    if (name.empty()) {
        lastFailure = 0;
        return CopyResult::Failed;
    }
    SourceFile in;
    if (!OpenSource(source, in)) {
        NoteFailure(CopyResult::Failed);
        return CopyResult::Failed;
    }
    if (!failIfExists) {
        const CopyResult refusal = RefusalToReplace(in.handle.Get(), WidePath(target));
        if (refusal != CopyResult::Copied) return refusal;
    }
    CopyResult result = CopyResult::Failed;
    const std::unique_ptr<StagedCopy> staged =
        StageOpened(in, source, folder, name, std::move(stop), durability, result);
    if (!staged) {
        NoteFailure(result);
        return result;
    }
    in.handle.Reset();
    return staged->Place(target, failIfExists);
}

CopyResult RefusalToReplace(const std::string& source, const std::string& target) {
    const UniqueFile opened(::CreateFileW(WidePath(source).c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                          nullptr));
    if (!opened) return CopyResult::Copied;  // the copy will say
    return RefusalToReplace(opened.Get(), WidePath(target));
}

std::unique_ptr<StagedCopy> StageCopy(const std::string& source, const std::string& folder,
                                      std::string_view targetName, std::stop_token stop,
                                      CopyDurability durability, CopyResult& result) {
    ::SetLastError(ERROR_SUCCESS);
    result = CopyResult::Failed;
    if (stop.stop_requested()) {
        result = CopyResult::Stopped;
        return nullptr;
    }
    SourceFile in;
    if (!OpenSource(source, in)) {
        NoteFailure(result);
        return nullptr;
    }
    std::unique_ptr<StagedCopy> staged =
        StageOpened(in, source, folder, targetName, std::move(stop), durability, result);
    if (!staged) NoteFailure(result);
    return staged;
}

int LastFailure() {
    return lastFailure;
}

std::string FailureText(int code) {
    if (code == 0) return text::NotARegularFile;
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || text == nullptr) return "system error " + std::to_string(code);
    std::wstring wide(text, length);
    ::LocalFree(text);
    while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' ')) {
        wide.pop_back();
    }
    return Utf8Of(wide);
}

bool RemoveFile(const std::string& path) {
    HoldIfAsked(IoStep::Remove, path, 0);
    if (::DeleteFileW(WidePath(path).c_str())) return true;
    lastFailure = static_cast<int>(::GetLastError());
    return false;
}

bool FlushFolder(const std::string& folder) {
    HoldIfAsked(IoStep::Flush, folder, 0);
    // The copies flushed their data before they took their names, and a write-through move
    // does not return before the name is on the disk. The folder's own entries go with its
    // handle where the file system flushes a folder (NTFS does); one that cannot is no failure
    // of the copies, whose names the moves made durable already.
    const UniqueFile opened(::CreateFileW(WidePath(folder).c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                          nullptr));
    if (!opened) {
        const DWORD error = ::GetLastError();
        // Gone, or never there: whatever was to be flushed there went with it.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            lastFailure = static_cast<int>(error);
            return false;
        }
        return true;
    }
    (void)::FlushFileBuffers(opened.Get());
    return true;
}

namespace {

// Reads past the system's cache: FILE_FLAG_NO_BUFFERING wants every read to start at a
// multiple of the sector size, for a multiple of it, into memory aligned to it. 4 KiB serves
// every disk of today; the caller's offsets are the comparison's block starts, which are.
class UnbufferedReader final : public FileReader {
public:
    static constexpr std::size_t Align = 4096;

    explicit UnbufferedReader(UniqueFile handle) : handle_(std::move(handle)) {}

    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) override {
        std::size_t done = 0;
        while (done < buffer.size()) {
            const std::uint64_t at = offset + done;
            const std::uint64_t start = at - at % Align;
            const std::size_t skip = static_cast<std::size_t>(at - start);
            const std::size_t want = std::min(buffer.size() - done + skip, Capacity);
            const std::size_t rounded = (want + Align - 1) / Align * Align;
            OVERLAPPED where{};
            where.Offset = static_cast<DWORD>(start);
            where.OffsetHigh = static_cast<DWORD>(start >> 32);
            DWORD got = 0;
            if (!::ReadFile(handle_.Get(), Bounce(), static_cast<DWORD>(rounded), &got, &where) ||
                got <= skip) {
                break;
            }
            const std::size_t useful = std::min<std::size_t>(got - skip, buffer.size() - done);
            std::memcpy(buffer.data() + done, Bounce() + skip, useful);
            done += useful;
            if (got < rounded) break;  // the end of the file
        }
        return done;
    }

    std::uint64_t Size() const override {
        LARGE_INTEGER size{};
        return ::GetFileSizeEx(handle_.Get(), &size) ? static_cast<std::uint64_t>(size.QuadPart)
                                                     : 0;
    }

private:
    static constexpr std::size_t Capacity = std::size_t{256} << 10;

    struct AlignedFree {
        void operator()(std::uint8_t* p) const { ::operator delete[](p, std::align_val_t{Align}); }
    };

    std::uint8_t* Bounce() {
        if (!bounce_) {
            bounce_.reset(
                static_cast<std::uint8_t*>(::operator new[](Capacity, std::align_val_t{Align})));
        }
        return bounce_.get();
    }

    UniqueFile handle_;
    std::unique_ptr<std::uint8_t[], AlignedFree> bounce_;
};

}  // namespace

std::unique_ptr<FileReader> OpenForVerifying(const std::string& path) {
    UniqueFile handle(::CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr));
    if (!handle) return nullptr;
    return std::make_unique<UnbufferedReader>(std::move(handle));
}

MoveResult RenameFile(const std::string& from, const std::string& to) {
    // Without MOVEFILE_COPY_ALLOWED a move to another volume is refused rather than made a
    // copy: the caller copies, flushes and only then removes.
    if (::MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_WRITE_THROUGH)) {
        return MoveResult::Moved;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
        return MoveResult::TargetExists;
    if (error == ERROR_NOT_SAME_DEVICE) return MoveResult::OtherVolume;
    lastFailure = static_cast<int>(error);
    return MoveResult::Failed;
}

bool IsSameFile(const std::string& first, const std::string& second) {
    const auto open = [](const std::string& path) {
        return UniqueFile(::CreateFileW(WidePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    };
    const UniqueFile one = open(first);
    const UniqueFile other = open(second);
    return one && other && SameFile(one.Get(), other.Get());
}

bool MakeFolder(const std::string& path) {
    return ::CreateDirectoryW(WidePath(path).c_str(), nullptr) != 0;
}

DiskFacts DiskFactsOf(const std::string& folder) {
    DiskFacts facts;
    wchar_t root[MAX_PATH] = {};
    if (!::GetVolumePathNameW(WidePath(folder).c_str(), root, MAX_PATH)) return facts;
    if (::GetDriveTypeW(root) == DRIVE_REMOTE) {
        facts.remote = true;
        return facts;
    }
    // The volume itself ("\\?\Volume{...}" without its last backslash) answers for its disk.
    wchar_t volume[MAX_PATH] = {};
    if (!::GetVolumeNameForVolumeMountPointW(root, volume, MAX_PATH)) return facts;
    std::wstring device = volume;
    if (!device.empty() && device.back() == L'\\') device.pop_back();
    const UniqueFile opened(::CreateFileW(device.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    if (!opened) return facts;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceSeekPenaltyProperty;
    query.QueryType = PropertyStandardQuery;
    DEVICE_SEEK_PENALTY_DESCRIPTOR penalty{};
    DWORD returned = 0;
    if (::DeviceIoControl(opened.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                          &penalty, sizeof penalty, &returned, nullptr) &&
        returned >= sizeof penalty) {
        facts.seekPenalty = penalty.IncursSeekPenalty != FALSE;
    }
    return facts;
}

bool RemoveFolder(const std::string& path) {
    if (::RemoveDirectoryW(WidePath(path).c_str())) return true;
    lastFailure = static_cast<int>(::GetLastError());
    return false;
}

}  // namespace tessel::os
