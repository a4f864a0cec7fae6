#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "files/os/file_system.h"
#include "support/test_support.h"

namespace tessel::os {
namespace {

TEST(OpenForReading, ReadsAtOffsetsAndStopsAtTheEnd) {
    TempFolder folder;
    const std::string path = folder / "表ソ.bin";
    std::vector<std::uint8_t> content(1000);
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<std::uint8_t>(i * 7);
    test::WriteBytes(path, content);

    const std::unique_ptr<FileReader> file = OpenForReading(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Size(), 1000u);
    const struct {
        std::uint64_t offset;
        std::size_t asked, got;
    } cases[] = {
        {0, 8, 8}, {500, 100, 100}, {996, 8, 4}, {1000, 8, 0}, {5000, 8, 0}, {0, 2000, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.offset << "+" << c.asked);
        std::vector<std::uint8_t> buffer(c.asked, 0xEE);
        ASSERT_EQ(file->ReadAt(c.offset, buffer), c.got);
        for (std::size_t i = 0; i < c.got; ++i) ASSERT_EQ(buffer[i], content[c.offset + i]) << i;
        for (std::size_t i = c.got; i < c.asked; ++i) ASSERT_EQ(buffer[i], 0xEE) << i;
    }
}

TEST(OpenForReading, RefusesWhatIsNotAFile) {
    TempFolder folder;
    test::MakeFolders(folder / "sub");
    EXPECT_FALSE(OpenForReading(folder / "missing.bin"));
    // A folder either does not open or gives nothing to read.
    if (const std::unique_ptr<FileReader> sub = OpenForReading(folder / "sub")) {
        std::uint8_t head[8] = {};
        EXPECT_EQ(sub->ReadAt(0, head), 0u);
    }
    EXPECT_FALSE(OpenForReading(""));

    test::WriteBytes(folder / "empty.bin", {});
    const std::unique_ptr<FileReader> empty = OpenForReading(folder / "empty.bin");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->Size(), 0u);
    std::uint8_t byte[1] = {};
    EXPECT_EQ(empty->ReadAt(0, byte), 0u);
}

}  // namespace
}  // namespace tessel::os
