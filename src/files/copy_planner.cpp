// files/copy_planner.cpp: one found file into the destination. The existence tests only
// choose a name; the copy's own fail-if-exists has the last word, so a name taken between
// the test and the copy is never overwritten.
#include "files/copy_planner.h"

#include <string_view>
#include <utility>

#include "files/os/file_system.h"
#include "files/os/io_hold.h"
#include "files/path_tests.h"
#include "files/same_bytes.h"
#include "files/texts.h"

namespace tessel {
namespace {

CopyReport Copy(const std::string& source, const std::string& target, bool failIfExists,
                std::stop_token stop) {
    switch (os::CopyFileTo(source, target, failIfExists, std::move(stop))) {
        case os::CopyResult::Copied: return {CopyOutcome::Saved, target};
        case os::CopyResult::TargetExists:
            return {CopyOutcome::Refused, target, "a file of that name was made meanwhile"};
        case os::CopyResult::Refused:
            return {CopyOutcome::Refused, target, "the file there may not be replaced"};
        case os::CopyResult::SameFile:
            return {CopyOutcome::Refused, target, "the file there is the source itself"};
        case os::CopyResult::Stopped: return {CopyOutcome::Stopped, {}};
        case os::CopyResult::Failed: break;
    }
    return {CopyOutcome::Failed, target, os::FailureText(os::LastFailure())};
}

// The size of `source`: the scan's, or looked up when the caller had none.
std::optional<std::uint64_t> SizeOf(const std::string& source, std::optional<std::uint64_t> known) {
    if (known) return known;
    os::DirEntry own;
    if (!QueryEntry(source, own)) return std::nullopt;
    return own.size;
}

// A file whose bytes can be compared: neither a folder nor a FIFO or device, which would read
// as empty or block.
bool IsPlainFile(const os::DirEntry& entry) {
    return (entry.attributes & (os::AttrDirectory | os::AttrDevice)) == 0;
}

}  // namespace

CopyReport CopyFoundFile(const std::string& source, const std::string& destinationFolder,
                         DuplicateMode mode, std::stop_token stop,
                         std::optional<std::uint64_t> sourceSize) {
    const std::string_view path = source;
    const auto separator = FindLastChar(path, os::PathSeparator);
    const std::string_view name = separator ? path.substr(*separator + 1) : path;
    // Every found file has a "." in its name; a path from elsewhere without one gets an
    // empty extension rather than one cut out of a folder's name.
    const auto dot = FindLastChar(name, '.');
    const std::string base(name.substr(0, dot.value_or(name.size())));
    const std::string extension(name.substr(dot.value_or(name.size())));

    switch (mode) {
        case DuplicateMode::Numbered:
            return CopyNumbered(source, destinationFolder + os::PathSeparator + base, extension,
                                std::move(stop), sourceSize);
        case DuplicateMode::Overwrite:
            return CopyOverwrite(source, destinationFolder + os::PathSeparator + base, extension,
                                 std::move(stop));
        case DuplicateMode::SeparateFolder:
            return CopySeparate(source, destinationFolder, base, extension, std::move(stop),
                                sourceSize);
    }
    return {CopyOutcome::Failed, {}};
}

CopyReport CopyNumbered(const std::string& source, const std::string& targetBase,
                        const std::string& extension, std::stop_token stop,
                        std::optional<std::uint64_t> sourceSize) {
    std::string target = targetBase + extension;
    // Only the plain name is compared by size alone. A file of the same name and size is not
    // written again, and that is settled here, before any data is read: a re-run over an
    // unchanged destination reads and writes nothing for it.
    os::DirEntry taken;
    if (QueryEntry(target, taken) && !IsFolderEntry(taken.attributes)) {
        sourceSize = SizeOf(source, sourceSize);
        if (!sourceSize) return {CopyOutcome::Failed, target, "the source cannot be looked up"};
        if (*sourceSize == taken.size) return {CopyOutcome::SameNameAndSize, target};
        // The numbers are taken in turn, and an earlier run (or an earlier file of this one)
        // may have given this file one already: every number on the way to the first free
        // one is compared, or each run would add one more copy of it. A name whose file is
        // of another size differs without a read.
        for (std::uint64_t n = 1;; ++n) {
            std::string numbered = targetBase + "(" + std::to_string(n) + ")" + extension;
            os::DirEntry held;
            if (!QueryEntry(numbered, held) || IsFolderEntry(held.attributes)) {
                target = std::move(numbered);
                break;
            }
            if (held.size != *sourceSize || !IsPlainFile(held)) continue;
            switch (CompareBytes(source, numbered, held.size, stop)) {
                case Comparison::Same: return {CopyOutcome::SameContent, std::move(numbered)};
                case Comparison::Stopped: return {CopyOutcome::Stopped, {}};
                case Comparison::Different: break;
            }
        }
    }
    return Copy(source, target, true, std::move(stop));
}

CopyReport CopyOverwrite(const std::string& source, const std::string& targetBase,
                         const std::string& extension, std::stop_token stop) {
    return Copy(source, targetBase + extension, false, std::move(stop));
}

CopyReport CopySeparate(const std::string& source, const std::string& destinationFolder,
                        const std::string& base, const std::string& extension, std::stop_token stop,
                        std::optional<std::uint64_t> sourceSize) {
    const std::string target = destinationFolder + os::PathSeparator + base + extension;
    os::DirEntry taken;
    if (!QueryEntry(target, taken) || IsFolderEntry(taken.attributes)) {
        return Copy(source, target, true, std::move(stop));
    }
    // The file that took the name may be this one, from an earlier run: then it is there,
    // and a copy in the duplicates folder would only repeat it.
    sourceSize = SizeOf(source, sourceSize);
    if (sourceSize && *sourceSize == taken.size && IsPlainFile(taken)) {
        switch (CompareBytes(source, target, taken.size, stop)) {
            case Comparison::Same: return {CopyOutcome::SameContent, target};
            case Comparison::Stopped: return {CopyOutcome::Stopped, {}};
            case Comparison::Different: break;
        }
    }
    const std::string duplicates = destinationFolder + os::PathSeparator + text::DuplicatesFolder;
    // The folder stays from the first collision on; if it cannot be made at all, the copy
    // into it fails. Either way: ignore.
    (void)os::MakeFolder(duplicates);
    return CopyNumbered(source, duplicates + os::PathSeparator + base, extension, std::move(stop),
                        sourceSize);
}

}  // namespace tessel
