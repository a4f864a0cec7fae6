#include "support/hold_fs_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "support/poll.h"

extern char** environ;

namespace tessel::test {
namespace {

// A number past any count of held reads.
constexpr int AllReads = 1 << 30;

// Runs `args` (found on PATH) to its end; its exit code, or -1.
int RunToEnd(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool SameDevice(const std::string& a, const std::string& b) {
    struct stat first, second;
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev;
}

// Whether `pid` has ended, reaping it if so.
bool Ended(pid_t pid) {
    int status = 0;
    return ::waitpid(pid, &status, WNOHANG) == pid;
}

}  // namespace

bool HoldFs::Available(std::string* why) {
    if (::access("/dev/fuse", R_OK | W_OK) == 0) return true;
    *why = "no usable /dev/fuse on this machine";
    return false;
}

HoldFs::HoldFs(Access access)
    : backing_(root_ / "backing"), mount_(root_ / "mount"), control_(root_ / "control") {
    for (const std::string* folder : {&backing_, &mount_, &control_}) MakeFolders(*folder);
    const std::string log = control_ + "/log";
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                       O_WRONLY | O_CREAT | O_APPEND, 0644);
    ::posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    // Debian's python3, which has Debian's fusepy, whatever python3 comes first on PATH.
    std::vector<std::string> args = {"/usr/bin/python3", TESSEL_HOLD_FS};
    if (access == Access::Writable) args.push_back("--writable");
    for (const std::string* a : {&backing_, &mount_, &control_}) args.push_back(*a);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int spawned = ::posix_spawn(&process_, argv[0], &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        process_ = -1;
        ADD_FAILURE() << "cannot start " << TESSEL_HOLD_FS;
        return;
    }
    // The mount stands once its root is another device than the folder it covers.
    bool ended = false;
    mounted_ = PollUntil([&] {
        ended = Ended(process_);
        return ended || !SameDevice(mount_, root_.Path());
    });
    if (ended) {
        process_ = -1;
        mounted_ = false;
    }
    if (!mounted_) ADD_FAILURE() << "hold_fs did not mount at " << mount_ << ":\n" << Log();
}

HoldFs::~HoldFs() {
    // A read still held would keep the unmount (and whoever reads) waiting for ever.
    if (mounted_) EndHolds();
    if (process_ > 0) {
        if (mounted_ && RunToEnd({"fusermount", "-u", mount_}) != 0) {
            // Something (a child the test gave up on) still has a file open there: detach
            // the mount now, the file system goes when the last file is closed.
            RunToEnd({"fusermount", "-u", "-z", mount_});
        }
        if (!PollUntil([&] { return Ended(process_); })) {
            ADD_FAILURE() << "hold_fs did not end after its unmount:\n" << Log();
            ::kill(process_, SIGKILL);
            ::waitpid(process_, nullptr, 0);
        }
    }
}

std::string HoldFs::Backing(std::string_view relative) const {
    return backing_ + "/" + std::string(relative);
}

std::string HoldFs::operator/(std::string_view relative) const {
    return mount_ + "/" + std::string(relative);
}

void HoldFs::Hold(std::string_view name, std::uint64_t from) {
    holds_ += std::string(name) + " " + std::to_string(from) + "\n";
    WriteControl("hold", holds_);
}

void HoldFs::FailListing(std::string_view name) {
    failures_ += std::string(name) + "\n";
    WriteControl("fail-list", failures_);
}

void HoldFs::FailEverything() {
    WriteControl("fail-all", "1\n");
}

int HoldFs::Held() const {
    std::ifstream in(control_ + "/held");
    int count = 0;
    return in >> count ? count : 0;
}

bool HoldFs::WaitUntilHeld(int count, std::chrono::milliseconds limit) {
    return PollUntil([&] { return Held() >= count; }, limit);
}

void HoldFs::Release() {
    WriteControl("release", std::to_string(Held()) + "\n");
}

void HoldFs::EndHolds() {
    holds_.clear();
    WriteControl("hold", "");
    WriteControl("release", std::to_string(AllReads) + "\n");
}

void HoldFs::WriteControl(std::string_view name, std::string_view text) const {
    // The file system reads its orders at any moment: give it the whole file or the old one.
    const std::string path = control_ + "/" + std::string(name);
    WriteText(path + ".new", text);
    if (std::rename((path + ".new").c_str(), path.c_str()) != 0) {
        ADD_FAILURE() << "cannot write " << path;
    }
}

std::string HoldFs::Log() const {
    std::ifstream in(control_ + "/log");
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace tessel::test
