// Test files through the ANSI calls, so names are CP932 exactly as the program sees them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "support/test_support.h"

namespace tessel::test {
namespace {

// Positions of the real backslashes: a CP932 trail byte can be 0x5C too.
std::vector<std::size_t> SeparatorPositions(const std::string& path) {
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (::IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            ++i;
        } else if (path[i] == '\\') {
            positions.push_back(i);
        }
    }
    return positions;
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryA(folder.c_str());
}

// `native` joins levels with '\\' for the calls; `shown` joins them with '/' for the result
// (replacing bytes afterwards would also hit CP932 trail bytes).
void Collect(const std::string& root, const std::string& native, const std::string& shown,
             std::vector<std::string>& files) {
    WIN32_FIND_DATAA data;
    const std::string folder = native.empty() ? root : root + "\\" + native;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string nextNative = native.empty() ? name : native + "\\" + name;
        const std::string nextShown = shown.empty() ? name : shown + "/" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Collect(root, nextNative, nextShown, files);
        } else {
            files.push_back(nextShown);
        }
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
}

}  // namespace

std::string Sep() {
    return "\\";
}

std::string Native(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int wide =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), wide);
    const int narrow =
        ::WideCharToMultiByte(CP_ACP, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(narrow), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, w.data(), wide, s.data(), narrow, nullptr, nullptr);
    return s;
}

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string base = temp;
    if (!base.empty() && base.back() == '\\') base.pop_back();
    for (;;) {
        path_ = base + "\\tessel-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(counter++);
        if (::CreateDirectoryA(path_.c_str(), nullptr)) break;
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
    for (const std::size_t pos : SeparatorPositions(path)) {
        if (pos > 2) ::CreateDirectoryA(path.substr(0, pos).c_str(), nullptr);
    }
    ::CreateDirectoryA(path.c_str(), nullptr);
}

void SetReadOnly(const std::string& path) {
    if (!::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY)) {
        ADD_FAILURE() << "cannot make " << path << " read-only";
    }
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const auto separators = SeparatorPositions(path);
    if (!separators.empty()) MakeFolders(path.substr(0, separators.back()));
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot write " << path;
        return;
    }
    DWORD written = 0;
    if (!bytes.empty() &&
        (!::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
         written != bytes.size())) {
        ADD_FAILURE() << "short write " << path;
    }
    ::CloseHandle(file);
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
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
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        names.push_back(name + ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "/" : ""));
    } while (::FindNextFileA(find, &data));
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
