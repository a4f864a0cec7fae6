// The content index over real files: what it reads, and when it calls two files the same.
#include "files/content_index.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <mutex>

#include <string>
#include <vector>

#include "files/os/io_hold.h"
#include "support/test_support.h"

namespace tessel {
namespace {

std::vector<std::uint8_t> Bytes(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

// The files read whole to be hashed, by name, while it stands.
class HashReads {
public:
    HashReads() {
        os::SetIoHold([this](os::IoStep step, std::string_view name, std::uint64_t) {
            if (step != os::IoStep::Hash) return;
            std::scoped_lock hold(lock_);
            names_.emplace_back(name);
        });
    }
    ~HashReads() { os::SetIoHold({}); }
    std::vector<std::string> Names() {
        std::scoped_lock hold(lock_);
        return names_;
    }

private:
    std::mutex lock_;
    std::vector<std::string> names_;
};

TEST(ContentIndex, ReadsNothingUnlessSizesMeetAndThenConfirmsTheBytes) {
    using ::testing::ElementsAre;
    TempFolder temp;
    HashReads reads;
    test::WriteBytes(temp / "dst/a.bin", Bytes(1000, 1));
    test::WriteBytes(temp / "dst/b.bin", Bytes(2000, 2));
    test::MakeFolders(temp / "dst/folder.bin");
    ContentIndex index;
    index.AddFolder(temp / "dst");
    index.AddFolder(temp / "missing");

    test::WriteBytes(temp / "src/lonely.bin", Bytes(1500, 3));
    EXPECT_FALSE(index.Find(temp / "src/lonely.bin", 1500, {}));
    EXPECT_THAT(reads.Names(), ElementsAre()) << "a size that meets none was read";

    test::WriteBytes(temp / "src/other.bin", Bytes(1000, 4));  // a's size, other bytes
    EXPECT_FALSE(index.Find(temp / "src/other.bin", 1000, {}));
    EXPECT_THAT(reads.Names(), ElementsAre("other.bin", "a.bin"));

    test::WriteBytes(temp / "src/equal.bin", Bytes(2000, 2));
    EXPECT_EQ(index.Find(temp / "src/equal.bin", 2000, {}), temp / "dst/b.bin");
    // a.bin's hash was kept from the first look.
    test::WriteBytes(temp / "src/a-again.bin", Bytes(1000, 1));
    EXPECT_EQ(index.Find(temp / "src/a-again.bin", 1000, {}), temp / "dst/a.bin");
    // b.bin once for the equal file, a.bin's hash kept from the first look.
    EXPECT_THAT(reads.Names(),
                ElementsAre("other.bin", "a.bin", "equal.bin", "b.bin", "a-again.bin"));
}

TEST(ContentIndex, AFileReplacedInTheDestinationIsKnownByItsNewBytes) {
    TempFolder temp;
    test::WriteBytes(temp / "dst/x.bin", Bytes(1000, 1));
    ContentIndex index;
    index.AddFolder(temp / "dst");
    // Overwritten by a file of its size that the index has just hashed.
    test::WriteBytes(temp / "src/new.bin", Bytes(1000, 9));
    EXPECT_FALSE(index.Find(temp / "src/new.bin", 1000, {}));
    test::WriteBytes(temp / "dst/x.bin", Bytes(1000, 9));
    index.Add(temp / "dst/x.bin", 1000, temp / "src/new.bin");

    test::WriteBytes(temp / "src/old-again.bin", Bytes(1000, 1));
    EXPECT_FALSE(index.Find(temp / "src/old-again.bin", 1000, {}));
    test::WriteBytes(temp / "src/new-again.bin", Bytes(1000, 9));
    EXPECT_EQ(index.Find(temp / "src/new-again.bin", 1000, {}), temp / "dst/x.bin");
}

TEST(ContentIndex, AStopEndsTheLookWithoutAnAnswer) {
    TempFolder temp;
    test::WriteBytes(temp / "dst/x.bin", Bytes(1000, 1));
    test::WriteBytes(temp / "src/x.bin", Bytes(1000, 1));
    ContentIndex index;
    index.AddFolder(temp / "dst");
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(index.Find(temp / "src/x.bin", 1000, stop.get_token()));
}

}  // namespace
}  // namespace tessel
