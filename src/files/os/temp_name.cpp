// files/os/temp_name.cpp: a temporary name never longer than the name it stands in for. A
// fixed pattern with a process number and a counter is longer than most pictures' names, and a
// target that fits the path limit must not fail for its temporary name alone.
#include "files/os/temp_name.h"

#include <algorithm>
#include <atomic>
#include <chrono>

#include "files/code_page.h"

namespace tessel::os {
namespace {

constexpr std::size_t LongestName = 16;
constexpr char Digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";

std::uint64_t Mix(std::uint64_t x) {  // splitmix64's finaliser
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return x ^ (x >> 31);
}

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

}  // namespace

std::string TemporaryName(std::string_view targetName, std::uint64_t seed, char lead) {
    // Characters, not bytes: each takes at least one byte and at least one UTF-16 unit,
    // and every character of ours takes exactly one of each.
    std::size_t characters = 0;
    for (std::size_t pos = 0; pos < targetName.size() && characters < LongestName;
         pos += CharLength(targetName, pos, CodePage::Utf8)) {
        ++characters;
    }
    if (characters == 0) return {};
    for (std::uint64_t round = 0;; ++round) {
        std::uint64_t state = seed + round * 0x9E3779B97F4A7C15u;
        std::uint64_t bits = Mix(state);
        std::string name;
        if (characters >= 2) name += lead;
        for (int used = 0; name.size() < characters; ++used) {
            if (used == 12) bits = Mix(++state);  // 36^12 < 2^64: twelve digits per draw
            name += Digits[bits % 36];
            bits /= 36;
        }
        if (name != "." && name != ".." && !SameIgnoringAsciiCase(name, targetName)) return name;
    }
}

std::uint64_t NextTemporarySeed() {
    static std::atomic<std::uint64_t> counter{0};
    static const std::uint64_t start = Mix(
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    return start + counter.fetch_add(1);
}

}  // namespace tessel::os
