// Test files through the wide calls, so names are UTF-8 exactly as the engine sees them, and
// trees deeper than MAX_PATH can be made and removed. (The long form here is the seam's own
// WidePath: a test of names and depth must reach what the engine reaches.)
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "files/code_page.h"
#include "files/os/unique_handle_win32.h"
#include "files/os/wide_path_win32.h"
#include "support/test_support.h"

namespace tessel::test {
namespace {

using os::Utf8Of;
using os::WidePath;

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(WidePath(folder, L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = Utf8Of(data.cFileName);
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            ::SetFileAttributesW(WidePath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(path);
            } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                ::RemoveDirectoryW(WidePath(path).c_str());
            } else {
                ::DeleteFileW(WidePath(path).c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::SetFileAttributesW(WidePath(folder).c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(WidePath(folder).c_str());
}

// `native` joins levels with '\\' for the calls; `shown` joins them with '/' for the result.
void Collect(const std::string& root, const std::string& native, const std::string& shown,
             std::vector<std::string>& files) {
    WIN32_FIND_DATAW data;
    const std::string folder = native.empty() ? root : root + "\\" + native;
    HANDLE find = ::FindFirstFileW(WidePath(folder, L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = Utf8Of(data.cFileName);
        if (name == "." || name == "..") continue;
        const std::string nextNative = native.empty() ? name : native + "\\" + name;
        const std::string nextShown = shown.empty() ? name : shown + "/" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Collect(root, nextNative, nextShown, files);
        } else {
            files.push_back(nextShown);
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

}  // namespace

std::string BesideThisTest(std::string_view name) {
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    const std::string self = Utf8Of(path);
    return self.substr(0, self.find_last_of('\\') + 1) + std::string(name);
}

std::string Sep() {
    return "\\";
}

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::string base = Utf8Of(temp);
    if (!base.empty() && base.back() == '\\') base.pop_back();
    for (;;) {
        path_ = base + "\\tessel-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(counter++);
        if (::CreateDirectoryW(WidePath(path_).c_str(), nullptr)) break;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "cannot create " << path_;
            break;
        }
    }
}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

void MakeFolders(const std::string& path) {
    for (std::size_t pos = path.find('\\', 3); pos != std::string::npos;
         pos = path.find('\\', pos + 1)) {
        ::CreateDirectoryW(WidePath(path.substr(0, pos)).c_str(), nullptr);
    }
    ::CreateDirectoryW(WidePath(path).c_str(), nullptr);
}

void SetReadOnly(const std::string& path) {
    if (!::SetFileAttributesW(WidePath(path).c_str(), FILE_ATTRIBUTE_READONLY)) {
        ADD_FAILURE() << "cannot make " << path << " read-only";
    }
}

namespace {

// Creates (or empties) `path` for writing, with the folders above it; an empty owner, and a
// test failure, when it cannot.
os::UniqueFile CreateForWriting(const std::string& path) {
    const std::size_t separator = path.rfind('\\');
    if (separator != std::string::npos) MakeFolders(path.substr(0, separator));
    os::UniqueFile file(::CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ADD_FAILURE() << "cannot write " << path;
    return file;
}

}  // namespace

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const os::UniqueFile file = CreateForWriting(path);
    if (!file) return;
    DWORD written = 0;
    if (!bytes.empty() && (!::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                        &written, nullptr) ||
                           written != bytes.size())) {
        ADD_FAILURE() << "short write " << path;
    }
}

void WriteSparse(const std::string& path, std::uint64_t size) {
    const os::UniqueFile file = CreateForWriting(path);
    if (!file) return;
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file.Get())) {
        ADD_FAILURE() << "cannot size " << path;
    }
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    HANDLE file = ::CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot read " << path;
        return bytes;
    }
    std::uint8_t chunk[65536];
    DWORD got = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    ::CloseHandle(file);
    return bytes;
}

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(WidePath(folder, L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = Utf8Of(data.cFileName);
        if (name == "." || name == "..") continue;
        names.push_back(name + ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "/" : ""));
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> FilesUnder(const std::string& folder) {
    std::vector<std::string> files;
    Collect(folder, "", "", files);
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace tessel::test
