// files/copy_planner.cpp: one found file into the destination. The existence tests only
// choose a name; the placing of the copy, which never replaces (numbered, separate), has the
// last word. A name that someone else took between the choice and the placing is chosen
// again, by the same rule, from that name on: the copy is written once and takes whatever
// name the rule finally gives it.
#include "files/copy_planner.h"

#include <memory>
#include <string_view>
#include <utility>

#include "files/os/file_system.h"
#include "files/os/path_parts.h"
#include "files/path_tests.h"
#include "files/same_bytes.h"
#include "files/texts.h"

namespace tessel {
namespace {

// A file whose bytes can be compared: neither a folder nor a FIFO or device, which would read
// as empty or block.
bool IsPlainFile(const os::DirEntry& entry) {
    return (entry.attributes & (os::AttrDirectory | os::AttrDevice)) == 0;
}

// base + extension for 0, base(n)extension for every other n.
std::string NumberedName(const std::string& base, std::uint64_t n, const std::string& extension) {
    if (n == 0) return base + extension;
    return base + "(" + std::to_string(n) + ")" + extension;
}

FileAccount Told(Outcome outcome, std::string path, std::string reason = {}) {
    FileAccount account;
    account.outcome = outcome;
    account.destination = std::move(path);
    account.reason = std::move(reason);
    return account;
}

FileAccount FailedBySystem(std::string path) {
    return Told(Outcome::Failed, std::move(path), os::FailureText(os::LastFailure()));
}

// One file's way through a rule: its size, looked up once when the scan gave none, and its
// copy, written once and then offered to one name after another.
class Placing {
public:
    Placing(const std::string& source, std::optional<std::uint64_t> size, std::stop_token stop,
            os::CopyDurability durability, std::unique_ptr<os::StagedCopy> staged,
            std::string stagedIn)
        : source_(source),
          size_(size),
          stop_(std::move(stop)),
          durability_(durability),
          staged_(std::move(staged)),
          stagedIn_(std::move(stagedIn)) {}

    // The copy written ahead, for a rule that places it itself (overwrite).
    std::unique_ptr<os::StagedCopy> TakeStaged() { return std::move(staged_); }

    const std::string& Source() const { return source_; }
    const std::stop_token& Stop() const { return stop_; }

    std::optional<std::uint64_t> Size() {
        if (!size_) {
            os::DirEntry own;
            if (QueryEntry(source_, own)) size_ = own.size;
        }
        return size_;
    }

    // Whether another try is allowed: the names taken meanwhile are bounded.
    bool MayTryAgain() { return ++tries_ < PlacingAttempts && !stop_.stop_requested(); }

    enum class Result { Placed, Taken, FolderThere, Stopped, Failed };
    // Gives the copy the name `target`, writing it first if it is not written yet.
    Result PlaceAt(const std::string& target) {
        const std::string folder(os::FolderOfPath(target));
        if (!staged_ && !Stage(folder, target)) return stageFailure_;
        os::CopyResult placed = staged_->Place(target, true);
        if (placed == os::CopyResult::Failed && folder != stagedIn_) {
            // The copy was written beside an earlier choice, on another file system than the
            // folder the rule moved on to: written again there.
            if (!Stage(folder, target)) return stageFailure_;
            placed = staged_->Place(target, true);
        }
        switch (placed) {
            case os::CopyResult::Copied: return Result::Placed;
            case os::CopyResult::TargetExists:
                return FolderExists(target) ? Result::FolderThere : Result::Taken;
            default: return Result::Failed;
        }
    }

private:
    bool Stage(const std::string& folder, const std::string& target) {
        os::CopyResult result = os::CopyResult::Failed;
        staged_ =
            os::StageCopy(source_, folder, os::NameOfPath(target), stop_, durability_, result);
        stagedIn_ = folder;
        stageFailure_ = result == os::CopyResult::Stopped ? Result::Stopped : Result::Failed;
        return staged_ != nullptr;
    }

    const std::string& source_;
    std::optional<std::uint64_t> size_;
    std::stop_token stop_;
    os::CopyDurability durability_;
    std::unique_ptr<os::StagedCopy> staged_;
    std::string stagedIn_;
    Result stageFailure_ = Result::Failed;
    int tries_ = 0;
};

// What the rule of numbered says for the names from base(from)ext on: Saved with the first
// name that holds no file, or why the file is there already.
FileAccount ChooseNumbered(Placing& file, const std::string& base, const std::string& extension,
                           std::uint64_t from, std::uint64_t& number) {
    for (std::uint64_t n = from;; ++n) {
        std::string name = NumberedName(base, n, extension);
        os::DirEntry held;
        // A folder of the name is left to the placing, which refuses it.
        if (!QueryEntry(name, held) || IsFolderEntry(held.attributes)) {
            number = n;
            return Told(Outcome::Saved, std::move(name));
        }
        const std::optional<std::uint64_t> size = file.Size();
        if (!size) return Told(Outcome::Failed, std::move(name), text::SourceNotLookedUp);
        // Only the plain name is compared by size alone. A file of the same name and size is
        // not written again, and that is settled before any data is read: a re-run over an
        // unchanged destination reads and writes nothing for it.
        if (n == 0) {
            if (held.size == *size) return Told(Outcome::SameNameAndSize, std::move(name));
            continue;
        }
        // The numbers are taken in turn, and an earlier run (or an earlier file of this one)
        // may have given this file one already: every number on the way to the first free
        // one is compared, or each run would add one more copy of it. A name whose file is
        // of another size differs without a read.
        if (held.size != *size || !IsPlainFile(held)) continue;
        switch (CompareBytes(file.Source(), name, held.size, file.Stop())) {
            case Comparison::Same: return Told(Outcome::SameContent, std::move(name));
            case Comparison::Stopped: return Told(Outcome::Stopped, {});
            case Comparison::Different: break;
        }
    }
}

FileAccount PlaceNumbered(Placing& file, const std::string& base, const std::string& extension) {
    std::uint64_t from = 0;
    for (;;) {
        std::uint64_t number = 0;
        FileAccount choice = ChooseNumbered(file, base, extension, from, number);
        if (choice.outcome != Outcome::Saved) return choice;
        switch (file.PlaceAt(choice.destination)) {
            case Placing::Result::Placed: return choice;
            case Placing::Result::Taken:
                // Someone else's file has the name now: the rule looks at it as at any other.
                if (!file.MayTryAgain()) {
                    return Told(file.Stop().stop_requested() ? Outcome::Stopped : Outcome::Failed,
                                std::move(choice.destination), text::NamesTakenMeanwhile);
                }
                from = number;
                continue;
            case Placing::Result::FolderThere:
                return Told(Outcome::Failed, std::move(choice.destination), text::FolderHasTheName);
            case Placing::Result::Stopped: return Told(Outcome::Stopped, {});
            case Placing::Result::Failed: return FailedBySystem(std::move(choice.destination));
        }
    }
}

FileAccount PlaceSeparate(Placing& file, const std::string& destinationFolder,
                          const std::string& base, const std::string& extension) {
    const std::string plain = destinationFolder + os::PathSeparator + base + extension;
    os::DirEntry taken;
    while (!QueryEntry(plain, taken) || IsFolderEntry(taken.attributes)) {
        switch (file.PlaceAt(plain)) {
            case Placing::Result::Placed: return Told(Outcome::Saved, plain);
            case Placing::Result::Taken:
                if (!file.MayTryAgain()) {
                    return Told(Outcome::Failed, plain, text::NamesTakenMeanwhile);
                }
                continue;  // the name holds a file now: the rule goes on from there
            case Placing::Result::FolderThere:
                return Told(Outcome::Failed, plain, text::FolderHasTheName);
            case Placing::Result::Stopped: return Told(Outcome::Stopped, {});
            case Placing::Result::Failed: return FailedBySystem(plain);
        }
    }
    // The file that took the name may be this one, from an earlier run: then it is there,
    // and a copy in the duplicates folder would only repeat it.
    const std::optional<std::uint64_t> size = file.Size();
    if (size && *size == taken.size && IsPlainFile(taken)) {
        switch (CompareBytes(file.Source(), plain, taken.size, file.Stop())) {
            case Comparison::Same: return Told(Outcome::SameContent, plain);
            case Comparison::Stopped: return Told(Outcome::Stopped, {});
            case Comparison::Different: break;
        }
    }
    const std::string duplicates = destinationFolder + os::PathSeparator + text::DuplicatesFolder;
    // The folder stays from the first collision on; if it cannot be made at all, the copy
    // into it fails.
    const bool made = os::MakeFolder(duplicates);
    FileAccount account = PlaceNumbered(file, duplicates + os::PathSeparator + base, extension);
    if (made) account.madeFolder = duplicates;
    return account;
}

FileAccount PlaceOverwriting(const std::string& source, const std::string& target,
                             std::stop_token stop, os::CopyDurability durability,
                             std::unique_ptr<os::StagedCopy> staged) {
    os::DirEntry there;
    const bool replacing = QueryEntry(target, there) && !IsFolderEntry(there.attributes);
    os::CopyResult result = os::CopyResult::Failed;
    if (staged) {
        // Written ahead: what may not be replaced is told now, and the data goes unused.
        result = os::RefusalToReplace(source, target);
        if (result == os::CopyResult::Copied) result = staged->Place(target, false);
    } else {
        result = os::CopyFileTo(source, target, false, std::move(stop), durability);
    }
    switch (result) {
        case os::CopyResult::Copied: {
            FileAccount account = Told(Outcome::Saved, target);
            account.replaced = replacing;
            return account;
        }
        case os::CopyResult::Refused: return Told(Outcome::Failed, target, text::MayNotBeReplaced);
        case os::CopyResult::SameFile: return Told(Outcome::Failed, target, text::IsTheSource);
        case os::CopyResult::Stopped: return Told(Outcome::Stopped, {});
        case os::CopyResult::TargetExists:
        case os::CopyResult::Failed: break;
    }
    return FailedBySystem(target);
}

// The name of `source` split at its last dot. Every found file has a "." in its name; a path
// from elsewhere without one gets an empty extension rather than one cut out of a folder's name.
std::pair<std::string, std::string> BaseAndExtension(const std::string& source) {
    const std::string_view name = os::NameOfPath(source);
    const auto dot = FindLastChar(name, '.');
    return {std::string(name.substr(0, dot.value_or(name.size()))),
            std::string(name.substr(dot.value_or(name.size())))};
}

}  // namespace

FileAccount CopyFoundFile(const std::string& source, const std::string& destinationFolder,
                          DuplicateMode mode, std::stop_token stop,
                          std::optional<std::uint64_t> sourceSize, os::CopyDurability durability,
                          std::unique_ptr<os::StagedCopy> staged) {
    if (stop.stop_requested()) return Told(Outcome::Stopped, {});
    const auto [base, extension] = BaseAndExtension(source);
    Placing file(source, sourceSize, std::move(stop), durability, std::move(staged),
                 destinationFolder);
    switch (mode) {
        case DuplicateMode::Numbered:
            return PlaceNumbered(file, destinationFolder + os::PathSeparator + base, extension);
        case DuplicateMode::Overwrite:
            return PlaceOverwriting(source,
                                    destinationFolder + os::PathSeparator + base + extension,
                                    file.Stop(), durability, file.TakeStaged());
        case DuplicateMode::SeparateFolder:
            return PlaceSeparate(file, destinationFolder, base, extension);
    }
    return Told(Outcome::Failed, {}, text::NoRuleForTakenNames);
}

std::optional<std::string> PlainNameHoldsSize(const std::string& source,
                                              const std::string& destinationFolder,
                                              DuplicateMode mode, std::uint64_t size) {
    if (mode != DuplicateMode::Numbered) return std::nullopt;
    std::string plain = destinationFolder + os::PathSeparator + std::string(os::NameOfPath(source));
    os::DirEntry taken;
    if (!QueryEntry(plain, taken) || IsFolderEntry(taken.attributes) || taken.size != size) {
        return std::nullopt;
    }
    return plain;
}

}  // namespace tessel
