// tests/e2e/held_disk.h: the suite's hold file system (tests/support/hold_fs.py, mounted by
// hold_fs_fixture.sh before the suite) as a Windows program reaches it: through Z:\ paths
// and its plain control files. A read of a named file past an offset waits there until the
// test lets it go, as on a disk that stopped answering, so the real program can be caught
// inside a copy on every machine.
//
// Each HeldDisk works in a fresh folder of the mount; the control files are the mount's
// own, and the count of held reads runs on from test to test, so each counts from its start.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "remote_window.h"
#include "support/test_support.h"

namespace tessel::test {

class HeldDisk {
public:
    HeldDisk() {
        const char* dir = std::getenv("TESSEL_HOLD_FS");
        if (dir == nullptr || *dir == '\0') return;
        root_ = "Z:";
        for (const char* c = dir; *c != '\0'; ++c) root_ += *c == '/' ? '\\' : *c;
        static int made = 0;
        folder_ = "t" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++made);
        MakeFolders(root_ + "\\backing\\" + folder_);
        start_ = Held();
        // An earlier test let every read go; from here on they wait again.
        WriteText(Control("release"), std::to_string(start_) + "\n");
    }
    ~HeldDisk() {
        if (root_.empty()) return;
        EndHolds();
    }
    HeldDisk(const HeldDisk&) = delete;
    HeldDisk& operator=(const HeldDisk&) = delete;

    // False when the suite was started without the mount (not through ctest).
    bool Available() const { return !root_.empty(); }
    // Where the test writes what the mount shows, '/' between levels.
    std::string Backing(std::string_view relative) const { return Under("backing", relative); }
    // The same file or folder as the program sees it on the mount.
    std::string Path(std::string_view relative = {}) const { return Under("mount", relative); }

    // From now on a read of the file `name` at `from` or past it waits until Release.
    void Hold(std::string_view name, std::uint64_t from) {
        holds_ += std::string(name) + " " + std::to_string(from) + "\n";
        WriteText(Control("hold"), holds_);
    }
    // Reads held since this HeldDisk was made.
    int Held() const {
        const std::vector<std::uint8_t> bytes = ReadHeld();
        return std::atoi(std::string(bytes.begin(), bytes.end()).c_str()) - start_;
    }
    bool WaitUntilHeld(int count = 1, int milliseconds = 60000) const {
        return drive::WaitUntil([&] { return Held() >= count; }, milliseconds);
    }
    // Lets every read held so far go on; a later one waits again.
    void Release() { WriteText(Control("release"), std::to_string(start_ + Held()) + "\n"); }
    // Holds nothing more, and lets every held read go.
    void EndHolds() {
        holds_.clear();
        WriteText(Control("hold"), "");
        WriteText(Control("release"), "1000000000\n");
    }

private:
    std::string Under(std::string_view side, std::string_view relative) const {
        std::string path = root_ + "\\" + std::string(side) + "\\" + folder_;
        if (!relative.empty()) path += "\\";
        for (const char c : relative) path += c == '/' ? '\\' : c;
        return path;
    }
    std::string Control(std::string_view name) const {
        return root_ + "\\control\\" + std::string(name);
    }
    std::vector<std::uint8_t> ReadHeld() const {
        // The file system replaces it whole; until its first held read there is none.
        if (FileSize(Control("held")) < 0) return {'0'};
        return ReadBytes(Control("held"));
    }

    std::string root_;
    std::string folder_;
    std::string holds_;
    int start_ = 0;
};

}  // namespace tessel::test
