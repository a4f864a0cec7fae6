#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/test_support.h"

namespace fs = std::filesystem;

namespace tessel::test {

std::string BesideThisTest(std::string_view name) {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    return self.substr(0, self.rfind('/') + 1) + std::string(name);
}

std::string Sep() {
    return "/";
}
TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "tessel-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    // Tests take permissions away; give them back so everything can be removed.
    for (auto it = fs::recursive_directory_iterator(
             path_, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_symlink())
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    ::chmod(path_.c_str(), 0700);
    for (int attempt = 0; attempt < 2; ++attempt) {
        for (auto it = fs::recursive_directory_iterator(path_, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory() && !it->is_symlink()) ::chmod(it->path().c_str(), 0700);
        }
    }
    fs::remove_all(path_, ec);
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const fs::path p(path);
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) ADD_FAILURE() << "cannot write " << path;
}

void WriteSparse(const std::string& path, std::uint64_t size) {
    const fs::path p(path);
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    std::error_code error;
    { std::ofstream create(p, std::ios::binary | std::ios::trunc); }
    fs::resize_file(p, size, error);
    if (error) ADD_FAILURE() << "cannot write " << path << ": " << error.message();
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) ADD_FAILURE() << "cannot read " << path;
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void MakeFolders(const std::string& path) {
    fs::create_directories(path);
}

void SetReadOnly(const std::string& path) {
    if (::chmod(path.c_str(), 0444) != 0) ADD_FAILURE() << "cannot chmod " << path;
}

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        names.push_back(e.path().filename().string() +
                        (e.is_directory() && !e.is_symlink() ? "/" : ""));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> FilesUnder(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_directory()) files.push_back(fs::relative(it->path(), folder).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace tessel::test
