// tests/support/hold_fs_posix.h: a disk that stops answering, for tests of what the program
// does while one of its calls cannot return (tests/support/hold_fs.py, a FUSE file system).
// Unlike IoGate it holds a real system call in the kernel, so it reaches another process
// too: the tessel command's copy, held mid-file while the test sends Ctrl-C.
//
// Each HoldFs mounts a fresh view of its own backing folder (read-only unless asked), and is driven
// through plain files (see hold_fs.py), so a Windows test under Wine could drive the same
// mount through its Z:\ paths.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "support/test_support.h"

namespace tessel::test {

class HoldFs {
public:
    // Whether this machine can mount one (/dev/fuse usable); when not, `why` says so.
    static bool Available(std::string* why);

    enum class Access { ReadOnly, Writable };
    // Mounts, and waits until the mount stands; fails the test when it does not. A writable
    // mount passes writes through to the backing folder.
    explicit HoldFs(Access access = Access::ReadOnly);
    // Lets every held read go, then unmounts (lazily, when something still has a file
    // open there) and waits for the file system's process to end.
    ~HoldFs();
    HoldFs(const HoldFs&) = delete;
    HoldFs& operator=(const HoldFs&) = delete;

    bool Mounted() const { return mounted_; }
    // Where the test writes the files that the mount shows, under the same relative paths.
    std::string Backing(std::string_view relative) const;
    // The mount's root, and a path under it ('/' between levels).
    const std::string& Path() const { return mount_; }
    std::string operator/(std::string_view relative) const;

    // From now on a read of the file `name` (its last path component) at `from` or past it
    // waits until Release.
    void Hold(std::string_view name, std::uint64_t from = 0);
    // From now on listing a folder named `name` fails with EIO, though it opens.
    void FailListing(std::string_view name);
    // From now on every call fails with EIO, as a disk that was pulled.
    void FailEverything();
    // How many reads have been held so far.
    int Held() const;
    // Whether `count` reads have been held, waiting for them up to `limit`.
    bool WaitUntilHeld(int count = 1, std::chrono::milliseconds limit = std::chrono::seconds(30));
    // Lets every read held so far go on; one held later waits for the next call.
    void Release();
    // Holds no further read, and lets every held one go on.
    void EndHolds();

private:
    void WriteControl(std::string_view name, std::string_view text) const;
    // The log of the file system's process, for a failure message.
    std::string Log() const;

    TempFolder root_;
    std::string backing_;
    std::string mount_;
    std::string control_;
    std::string holds_;
    std::string failures_;
    pid_t process_ = -1;
    bool mounted_ = false;
};

}  // namespace tessel::test
