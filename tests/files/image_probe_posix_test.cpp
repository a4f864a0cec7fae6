// Faults only a real POSIX file system gives: no permission, FIFOs, offsets past 4 GiB.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "files/image_probe.h"
#include "files/os/file_system.h"
#include "support/test_support.h"

namespace tessel {
namespace {

constexpr int CouldNotDrop = 250;
constexpr int TimedOut = 251;

// MeasureSquareSide in a child process (as user `nobody` when asked, since we run as root
// and root reads everything), with a few seconds to answer. Returns the child's exit code:
// the SquareSide when it is below 250, or one of the codes above.
int MeasureInChild(const std::string& path, bool asNobody) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(5);
        if (asNobody && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(CouldNotDrop);
        ::_exit(MeasureSquareSide(path));
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) return TimedOut;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ImageProbePosix, UnreadableFileMeasuresOne) {
    TempFolder folder;
    ASSERT_EQ(::chmod(folder.Path().c_str(), 0755), 0);  // nobody may look inside
    const std::vector<std::uint8_t> gif = test::ReadBytes(test::DataPath("images/gif89a.gif"));
    const std::string open = folder / "open.gif";
    const std::string locked = folder / "locked.gif";
    test::WriteBytes(open, gif);
    test::WriteBytes(locked, gif);
    ASSERT_EQ(::chmod(open.c_str(), 0644), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0600), 0);

    EXPECT_EQ(MeasureInChild(open, true), 100);  // the same file, readable: it is the rights
    EXPECT_EQ(MeasureInChild(locked, true), 1);
    EXPECT_EQ(MeasureInChild(locked, false), 100);
}

TEST(ImageProbePosix, FifoMeasuresOneWithoutWaitingForAWriter) {
    TempFolder folder;
    const std::string fifo = folder / "pipe.jpg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_EQ(MeasureInChild(fifo, false), 1);
}

TEST(ImageProbePosix, ReadsPastFourGibibytes) {
    // A sparse file: the data at 2^32 + 16 must not be read from offset 16.
    TempFolder folder;
    const std::string path = folder / "big.bin";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const std::uint64_t distant = (std::uint64_t{1} << 32) + 16;
    const std::uint8_t mark[4] = {'f', 'a', 'r', '!'};
    const bool written =
        ::pwrite(fd, "near", 4, 16) == 4 && ::pwrite(fd, mark, 4, static_cast<off_t>(distant)) == 4;
    ::close(fd);
    ASSERT_TRUE(written);

    const std::unique_ptr<os::FileReader> file = os::OpenForReading(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Size(), distant + 4);
    std::uint8_t buffer[4] = {};
    ASSERT_EQ(file->ReadAt(distant, buffer), 4u);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + 4),
              std::vector<std::uint8_t>(mark, mark + 4));
}

}  // namespace
}  // namespace tessel
