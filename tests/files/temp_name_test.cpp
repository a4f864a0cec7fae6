// Temporary names against the names they stand in for: never longer, in characters, bytes
// or UTF-16 units; never a name that would clash with the target or mean something else.
#include "files/os/temp_name.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tessel {
namespace {

TEST(TemporaryName, NeverLongerThanTheTargetsName) {
    const struct {
        const char* what;
        std::string target;
        std::size_t length;           // of every temporary name, in bytes (all ASCII)
        std::size_t atLeastDistinct;  // over the seeds below
    } cases[] = {
        {"one character", "a", 1, 30},
        {"two characters", ".a", 2, 30},
        {"short picture", "a.jpg", 5, 990},
        {"three Japanese characters and an extension", "表ソ日.jpg", 7, 1000},
        {"Korean, 6 bytes for 2 characters", "한국", 2, 30},
        {"an emoji: one character, four bytes, two UTF-16 units", "😀", 1, 30},
        {"bytes that are not UTF-8 count one each", "caf\xE9", 4, 950},
        {"long name: sixteen at most", std::string(255, 'n'), 16, 1000},
        {"nothing", "", 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::set<std::string> seen;
        for (std::uint64_t seed = 0; seed < 1000; ++seed) {
            for (const char lead : {'.', '~'}) {
                const std::string name = os::TemporaryName(c.target, seed * 7919, lead);
                ASSERT_EQ(name.size(), c.length) << name;
                for (const char ch : name)
                    ASSERT_TRUE(ch == lead || (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z'))
                        << name;
                if (name.size() >= 2) {
                    EXPECT_EQ(name.front(), lead);
                }
                EXPECT_NE(name, ".");
                EXPECT_NE(name, "..");
                if (!c.target.empty()) {
                    EXPECT_NE(name, c.target);
                }
                if (lead == '~') seen.insert(name);
            }
        }
        EXPECT_GE(seen.size(), c.atLeastDistinct);
    }
}

TEST(TemporaryName, NeverTheTargetWhateverItsCase) {
    // Windows compares names without case: "A" must not get "a" as its temporary name.
    for (const char* target : {"A", "Z", "7", "~A", ".Q"}) {
        SCOPED_TRACE(target);
        for (std::uint64_t seed = 0; seed < 2000; ++seed) {
            std::string name = os::TemporaryName(target, seed, target[0] == '.' ? '.' : '~');
            std::string upper = name;
            for (char& ch : upper) ch = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
            ASSERT_NE(upper, target);
        }
    }
}

TEST(TemporaryName, SeedsFromOneProcessDiffer) {
    std::set<std::uint64_t> seeds;
    for (int i = 0; i < 100; ++i) seeds.insert(os::NextTemporarySeed());
    EXPECT_EQ(seeds.size(), 100u);
}

}  // namespace
}  // namespace tessel
