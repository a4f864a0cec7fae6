// What only the Windows file system does: a file another handle holds open cannot be
// opened by the probe, which asks for no sharing.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "files/image_probe.h"
#include "files/os/file_system.h"
#include "files/os/wide_path_win32.h"
#include "support/test_support.h"

namespace tessel {
namespace {

class HeldOpen {
public:
    HeldOpen(const std::string& path, DWORD access, DWORD share)
        : handle_(::CreateFileW(os::WidePath(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldOpen() {
        if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

TEST(ImageProbeWin32, FileHeldOpenByAnotherHandleMeasuresOne) {
    TempFolder folder;
    const std::string path = folder / "表.gif";
    test::WriteBytes(path, test::ReadBytes(test::DataPath("images/gif89a.gif")));
    const struct {
        const char* what;
        DWORD access, share;
    } holders[] = {
        {"reading, no sharing", GENERIC_READ, 0},
        {"writing, sharing reads", GENERIC_WRITE, FILE_SHARE_READ},
        {"reading, sharing everything", GENERIC_READ,
         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
    };
    for (const auto& h : holders) {
        SCOPED_TRACE(h.what);
        {
            const HeldOpen holder(path, h.access, h.share);
            ASSERT_TRUE(holder.IsOpen());
            EXPECT_EQ(MeasureSquareSide(path), 1);
        }
        EXPECT_EQ(MeasureSquareSide(path), 100);
    }
}

TEST(ImageProbeWin32, ReadsPastFourGibibytes) {
    TempFolder folder;
    const std::string path = folder / "big.bin";
    const std::uint64_t distant = (std::uint64_t{1} << 32) + 16;
    const char mark[4] = {'f', 'a', 'r', '!'};
    test::WriteText(path, "0123456789abcdefnear");
    {
        const HeldOpen writer(path, GENERIC_WRITE, 0);
        ASSERT_TRUE(writer.IsOpen());
        LARGE_INTEGER to{};
        to.QuadPart = static_cast<LONGLONG>(distant);
        DWORD written = 0;
        ASSERT_TRUE(::SetFilePointerEx(writer.Get(), to, nullptr, FILE_BEGIN));
        ASSERT_TRUE(::WriteFile(writer.Get(), mark, 4, &written, nullptr));
        ASSERT_EQ(written, 4u);
    }
    const std::unique_ptr<os::FileReader> file = os::OpenForReading(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Size(), distant + 4);
    std::uint8_t buffer[4] = {};
    ASSERT_EQ(file->ReadAt(distant, buffer), 4u);
    EXPECT_EQ(std::string(buffer, buffer + 4), "far!");
    ASSERT_EQ(file->ReadAt(16, buffer), 4u);
    EXPECT_EQ(std::string(buffer, buffer + 4), "near");
}

}  // namespace
}  // namespace tessel
