// files/os/file_system_win32.cpp: the file-system seam on Windows, through the wide calls.
// The engine's paths are UTF-8; here they become UTF-16, in the long form past MAX_PATH
// (wide_path_win32.h), so names that code page 932 cannot write (café, 한국, emoji) and
// trees deeper than MAX_PATH are found and copied like any other. The copy writes to a
// temporary name beside the target and moves it into place with MoveFileExW, which without
// MOVEFILE_REPLACE_EXISTING refuses a taken name itself.
#include <windows.h>

#include <memory>
#include <string>

#include "files/os/file_reader_win32.h"
#include "files/os/file_system.h"
#include "files/os/io_hold.h"
#include "files/os/reparse_tag.h"
#include "files/os/temp_name.h"
#include "files/os/unique_handle_win32.h"
#include "files/os/wide_path_win32.h"

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
    do {
        if (options.stop.stop_requested()) break;
        const std::wstring_view wideName = data.cFileName;
        if (wideName == L"." || wideName == L"..") continue;
        DirEntry entry = EntryFrom(data);
        const bool plain = (data.dwFileAttributes & special) == 0;
        if (options.wanted && plain && !options.wanted(entry.name)) continue;
        if (options.keepLink && IsFileLink(data.dwFileAttributes, data.dwReserved0) &&
            (!options.wanted || options.wanted(entry.name))) {
            const std::string link = folder + "\\" + entry.name;
            if (!options.keepLink(link, ResolvedPath(link))) continue;
        }
        // The size and attributes are the find data's: the file is opened only to be read.
        if (options.measure &&
            (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0 &&
            (!options.wanted || options.wanted(entry.name))) {
            UniqueFile file = OpenUnshared(folder + "\\" + entry.name);
            HoldIfAsked(IoStep::Measure, entry.name, 0);
            if (file) {
                Win32FileReader reader(std::move(file), entry.size);
                entry.measure = options.measure(&reader);
            } else {
                entry.measure = options.measure(nullptr);
            }
        }
        entries.push_back(std::move(entry));
    } while (::FindNextFileW(find.Get(), &data));
    // A listing that breaks off is no end of the folder: what it gave is not the folder.
    if (!options.stop.stop_requested() && ::GetLastError() != ERROR_NO_MORE_FILES) {
        entries.clear();
        return false;
    }
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
    const std::size_t separator = path.find_last_of("\\/");
    entry.name = separator == std::string::npos ? path : path.substr(separator + 1);
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

CopyResult CopyWithTemporary(const std::string& source, const std::string& target,
                             bool failIfExists, std::stop_token stop);

}  // namespace

// A failed call leaves its error behind it: the handles it closes on its way out close, and
// success leaves the last error alone.
CopyResult CopyFileTo(const std::string& source, const std::string& target, bool failIfExists,
                      std::stop_token stop) {
    ::SetLastError(ERROR_SUCCESS);
    const CopyResult result = CopyWithTemporary(source, target, failIfExists, std::move(stop));
    if (result == CopyResult::Failed) lastFailure = static_cast<int>(::GetLastError());
    return result;
}

int LastFailure() {
    return lastFailure;
}

std::string FailureText(int code) {
    if (code == 0) return "not a regular file, or it changed while it was read";
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
    if (::DeleteFileW(WidePath(path).c_str())) return true;
    lastFailure = static_cast<int>(::GetLastError());
    return false;
}

namespace {

CopyResult CopyWithTemporary(const std::string& source, const std::string& target,
                             bool failIfExists, std::stop_token stop) {
    if (stop.stop_requested()) return CopyResult::Stopped;
    const std::size_t separator = target.find_last_of("\\/");
    if (separator == target.size() - 1) return CopyResult::Failed;
    const std::string folder =
        separator != std::string::npos ? target.substr(0, separator) : std::string(".");
    const std::string name = separator != std::string::npos ? target.substr(separator + 1) : target;
    const std::wstring wideTarget = WidePath(target);

    UniqueFile in(::CreateFileW(WidePath(source).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) return CopyResult::Failed;
    FILETIME written;
    if (!::GetFileTime(in.Get(), nullptr, nullptr, &written)) return CopyResult::Failed;

    if (!failIfExists) {
        const CopyResult refusal = RefusalToReplace(in.Get(), wideTarget);
        if (refusal != CopyResult::Copied) return refusal;
    }

    TempFile temp;
    if (!temp.Create(folder, name)) {
        return CopyResult::Failed;
    }
    const CopyResult filled =
        Fill(in.Get(), std::string_view(source).substr(source.find_last_of("\\/") + 1),
             temp.Handle(), stop);
    if (filled != CopyResult::Copied) return filled;
    // A stop that came during the last chunk still wins: the front end has shown the run as
    // it stood, and this file was not in it.
    if (stop.stop_requested()) return CopyResult::Stopped;
    if (!::SetFileTime(temp.Handle(), nullptr, nullptr, &written)) return CopyResult::Failed;
    if (!temp.Close()) return CopyResult::Failed;
    in.Reset();

    // Replacing never takes a folder's place: MoveFileExW refuses (access denied).
    const DWORD flags = failIfExists ? 0 : MOVEFILE_REPLACE_EXISTING;
    if (!::MoveFileExW(temp.Path().c_str(), wideTarget.c_str(), flags)) {
        const DWORD error = ::GetLastError();
        const bool taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
        return failIfExists && taken ? CopyResult::TargetExists : CopyResult::Failed;
    }
    temp.Keep();
    return CopyResult::Copied;
}

}  // namespace

bool MakeFolder(const std::string& path) {
    return ::CreateDirectoryW(WidePath(path).c_str(), nullptr) != 0;
}

}  // namespace tessel::os
