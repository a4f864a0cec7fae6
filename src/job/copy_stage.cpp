// job/copy_stage.cpp: the copies of a run. Each found file is decided in scan order; with a
// move or a read-back its account then waits in the settling group until the group's copies
// are on the disk, so that no source is removed before a flush covers its copy.
#include "job/copy_stage.h"

#include <algorithm>
#include <future>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/task_pool.h"
#include "files/content_index.h"
#include "files/os/file_system.h"
#include "files/os/path_parts.h"
#include "files/path_tests.h"
#include "files/same_bytes.h"
#include "files/texts.h"
#include "job/texts.h"

namespace tessel {
namespace {

void AddReason(std::string& reason, std::string_view more) {
    if (!reason.empty()) reason += "; ";
    reason += more;
}

std::string SystemWords() {
    return os::FailureText(os::LastFailure());
}

// The accounts that wait to be told: with a move or a read-back every account waits for the
// group's flush, so that the files are told in scan order and each copy is on the disk before
// its source goes. Without either, every account is told at once, as the copies go.
class Settling {
public:
    Settling(const CopyPlan& plan, const FoundFileList& found, const CopyHooks& hooks,
             ContentIndex* contents, const std::stop_token& stop, WorkerState& calls)
        : plan_(plan),
          found_(found),
          hooks_(hooks),
          contents_(contents),
          stop_(stop),
          calls_(calls) {}

    bool Groups() const { return plan_.move || plan_.verify; }
    std::uint64_t Saved() const { return saved_; }

    void Take(FileAccount account) {
        if (!Groups()) {
            Tell(account);
            return;
        }
        if (account.Saved()) bytes_ += found_.sizes[account.index];
        waiting_.push_back(std::move(account));
    }

    bool Due() const { return waiting_.size() >= SettleFiles || bytes_ >= SettleBytes; }

    // Whether a copy that waits stands under `path`.
    bool Waits(const std::string& path) const {
        return std::any_of(waiting_.begin(), waiting_.end(), [&](const FileAccount& account) {
            return account.Saved() && account.destination == path;
        });
    }

    // Whether this run moved a file to `path` (its source is gone).
    bool MovedTo(const std::string& path) const { return movedTo_.contains(path); }

    // Flushes the group's copies, reads them back, removes their sources and tells them.
    void Settle() {
        if (waiting_.empty()) return;
        std::vector<std::string> folders;
        for (const FileAccount& account : waiting_) {
            if (!account.Saved()) continue;
            std::string folder(os::FolderOfPath(account.destination));
            if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
                folders.push_back(std::move(folder));
            }
        }
        std::string unflushed;  // the system's words when a flush failed
        for (const std::string& folder : folders) {
            const InCall flushing(calls_, folder);
            if (!os::FlushFolder(folder) && unflushed.empty()) unflushed = SystemWords();
        }
        const std::vector<Comparison> readBack = ReadBack(unflushed);
        for (std::size_t i = 0; i < waiting_.size(); ++i) {
            FileAccount& account = waiting_[i];
            if (account.Saved()) Finish(account, unflushed, readBack[i]);
            Tell(account);
        }
        Clear();
    }

    // The copies end before their group is settled: every copy stays, and so does its
    // source, for `why`.
    void Abandon(std::string_view why) {
        for (FileAccount& account : waiting_) {
            if (account.Saved()) {
                AddReason(account.reason,
                          std::string(plan_.verify ? text::NotVerified : text::SourceStays) +
                              std::string(why));
            }
            Tell(account);
        }
        Clear();
    }

private:
    void Tell(const FileAccount& account) {
        if (account.Saved()) ++saved_;
        if (hooks_.told) hooks_.told(account);
    }

    void Clear() {
        waiting_.clear();
        bytes_ = 0;
    }

    // What follows a copy once its group is flushed (`unflushed` empty) or failed to be.
    // With --verify, every copy of the group read back from the disk and compared with its
    // source, several at once when the plan keeps calls in flight: the disk answers several
    // reads as fast as one. In the group's order; Same for what is not to be read.
    std::vector<Comparison> ReadBack(const std::string& unflushed) {
        std::vector<Comparison> readBack(waiting_.size(), Comparison::Same);
        if (!plan_.verify || !unflushed.empty()) return readBack;
        const auto compare = [&](std::size_t i) {
            const FileAccount& account = waiting_[i];
            if (!account.Saved() || stop_.stop_requested()) return;
            readBack[i] = CompareBytes(found_.paths[account.index], account.destination,
                                       found_.sizes[account.index], stop_, SecondFrom::Disk);
        };
        const InCall reading(calls_, plan_.destination);
        if (plan_.inFlight > 1) {
            if (!readers_) readers_ = std::make_unique<TaskPool>(plan_.inFlight);
            readers_->ForEach(waiting_.size(), compare);
        } else {
            for (std::size_t i = 0; i < waiting_.size(); ++i) compare(i);
        }
        return readBack;
    }

    void Finish(FileAccount& account, const std::string& unflushed, Comparison same) {
        const std::string& source = found_.paths[account.index];
        const std::string& copy = account.destination;
        const std::string why =
            unflushed.empty() ? std::string(text::WhyStopped) : text::WhyNotFlushed + unflushed;
        if (plan_.verify) {
            if (!unflushed.empty() || stop_.stop_requested()) {
                AddReason(account.reason, text::NotVerified + why);
                return;
            }
            // The copy is whole either way; one the stop left unread stays, and so does its
            // source.
            if (same == Comparison::Stopped || stop_.stop_requested()) {
                AddReason(account.reason, std::string(text::NotVerified) + text::WhyStopped);
                return;
            }
            if (same == Comparison::Different) {
                account.outcome = Outcome::Failed;
                account.reason = text::CopyDiffers;
                if (!os::RemoveFile(copy))
                    account.reason += text::NotRemovedAfterAll + SystemWords();
                if (contents_) contents_->Remove(copy);
                return;
            }
        }
        if (!plan_.move) return;
        if (!unflushed.empty() || stop_.stop_requested()) {
            AddReason(account.reason, text::SourceStays + why);
            return;
        }
        const InCall removing(calls_, source);
        if (os::RemoveFile(source)) {
            movedTo_.insert(copy);
        } else {
            AddReason(account.reason, text::SourceStays + SystemWords());
        }
    }

    const CopyPlan& plan_;
    const FoundFileList& found_;
    const CopyHooks& hooks_;
    ContentIndex* contents_;
    const std::stop_token& stop_;
    WorkerState& calls_;
    std::vector<FileAccount> waiting_;
    std::uint64_t bytes_ = 0;
    std::uint64_t saved_ = 0;
    std::unordered_set<std::string> movedTo_;
    std::unique_ptr<TaskPool> readers_;  // last: joined first
};

os::CopyDurability DurabilityOf(const CopyPlan& plan) {
    return plan.move || plan.verify ? os::CopyDurability::Flushed : os::CopyDurability::Cached;
}

// The data of the files ahead of the one being decided, written on a pool of threads while
// the names are still chosen in scan order. A file is written ahead only when its copy looks
// needed from here (its plain name holds no file of its size, with numbered; no file of its
// size is known to the content index, with --same-content): a re-run writes nothing ahead.
// What the rule then copies nothing of is dropped. A staging that failed is done again in
// order, where its failure is told in the system's words.
class Ahead {
public:
    Ahead(const FoundFileList& found, const CopyPlan& plan, ContentIndex* contents,
          const std::stop_token& stop)
        : found_(found),
          plan_(plan),
          contents_(contents),
          stop_(stop),
          window_(2 * plan.inFlight),
          pool_(plan.inFlight) {}

    // The copy of the file at `index` written ahead, if it was; starts the next ones.
    std::unique_ptr<os::StagedCopy> Take(std::size_t index) {
        for (; next_ < found_.Count() && next_ < index + 1 + window_; ++next_) Start(next_);
        const auto it = started_.find(index);
        if (it == started_.end()) return nullptr;
        std::unique_ptr<os::StagedCopy> staged = it->second.get();
        started_.erase(it);
        return staged;
    }

private:
    void Start(std::size_t i) {
        if (!IsTaken(found_, i, plan_)) return;
        const std::string& source = found_.paths[i];
        const std::uint64_t size = found_.sizes[i];
        if (PlainNameHoldsSize(source, plan_.destination, *plan_.mode, size)) return;
        if (contents_ && contents_->Knows(size)) return;
        started_.emplace(i, pool_.Submit([this, i] {
            os::CopyResult result = os::CopyResult::Failed;
            const std::string& path = found_.paths[i];
            return os::StageCopy(path, plan_.destination, os::NameOfPath(path), stop_,
                                 DurabilityOf(plan_), result);
        }));
    }

    const FoundFileList& found_;
    const CopyPlan& plan_;
    ContentIndex* contents_;
    const std::stop_token& stop_;
    std::size_t window_;
    std::size_t next_ = 0;
    std::unordered_map<std::size_t, std::future<std::unique_ptr<os::StagedCopy>>> started_;
    // Last: joined first, while what its tasks read still stands.
    TaskPool pool_;
};

// One found file above the bound: the same bytes elsewhere, then the copy by the rule. With a
// move or a read-back the copy's data goes to the disk as it is written (CopyDurability).
FileAccount CopyOne(const FoundFileList& found, std::size_t index, const CopyPlan& plan,
                    DuplicateMode mode, ContentIndex* contents, const CopyHooks& hooks,
                    const std::stop_token& stop, std::unique_ptr<os::StagedCopy> staged) {
    const std::string& source = found.paths[index];
    const std::uint64_t size = found.sizes[index];
    FileAccount account;
    if (contents) {
        // The plain-name rule reads nothing; it goes first, or a re-run would read every file.
        if (std::optional<std::string> plain =
                PlainNameHoldsSize(source, plan.destination, mode, size)) {
            account.outcome = Outcome::SameNameAndSize;
            account.destination = std::move(*plain);
        } else if (std::optional<std::string> held = contents->Find(source, size, stop)) {
            account.outcome = Outcome::SameContent;
            account.destination = std::move(*held);
        } else if (stop.stop_requested()) {
            account.outcome = Outcome::Stopped;
        }
        if (account.outcome != Outcome::Failed) {
            account.index = index;
            return account;
        }
    }
    account = CopyFoundFile(source, plan.destination, mode, stop, size, DurabilityOf(plan),
                            std::move(staged));
    account.index = index;
    if (account.Saved()) {
        if (account.replaced) AddReason(account.reason, text::ReplacedAFile);
        if (hooks.copyPlaced) hooks.copyPlaced(account.destination);
        if (contents) contents->Add(account.destination, size, source);
    }
    return account;
}

FileAccount Plain(std::size_t index, Outcome outcome, std::string reason = {}) {
    FileAccount account;
    account.index = index;
    account.outcome = outcome;
    account.reason = std::move(reason);
    return account;
}

}  // namespace

bool IsTaken(const FoundFileList& found, std::size_t index, const CopyPlan& plan) {
    return !plan.bound || found.squareSides[index] > *plan.bound;
}

namespace {

// One file above the bound, with a rule for taken names: its account, told to `settling`; or
// how the copies end there.
std::optional<CopiesEnd> CopyTaken(const FoundFileList& found, std::size_t i, const CopyPlan& plan,
                                   const CopyHooks& hooks, const std::stop_token& stop,
                                   WorkerState& calls, ContentIndex* contents, Ahead* ahead,
                                   Settling& settling) {
    const DuplicateMode mode = *plan.mode;
    const std::string plain =
        plan.destination + os::PathSeparator + std::string(os::NameOfPath(found.paths[i]));
    // A copy is read back before a later file may replace it, and a file that this run moved
    // here is not replaced at all: its source is gone, this is its only copy.
    if (mode == DuplicateMode::Overwrite && settling.Waits(plain)) settling.Settle();
    if (mode == DuplicateMode::Overwrite && plan.move && settling.MovedTo(plain)) {
        FileAccount refused = Plain(i, Outcome::Failed, text::MovedHereByThisRun);
        refused.destination = plain;
        settling.Take(std::move(refused));
        return std::nullopt;
    }
    FileAccount account;
    {
        const InCall copying(calls, found.paths[i]);
        account =
            CopyOne(found, i, plan, mode, contents, hooks, stop, ahead ? ahead->Take(i) : nullptr);
    }
    if (account.outcome == Outcome::Stopped) return CopiesEnd::Stopped;
    if (account.outcome == Outcome::Failed && plan.endWhenDestinationGoes &&
        !FolderExists(plan.destination)) {
        settling.Abandon(text::WhyDestinationGone);
        if (hooks.told) hooks.told(account);
        return CopiesEnd::DestinationGone;
    }
    settling.Take(std::move(account));
    return std::nullopt;
}

}  // namespace

CopiesDone CopyAll(const FoundFileList& found, const CopyPlan& plan, const CopyHooks& hooks,
                   const std::stop_token& stop, WorkerState& calls) {
    std::optional<ContentIndex> contents;
    if (plan.sameContent && plan.mode && !plan.dryRun) {
        const InCall listing(calls, plan.destination);
        contents.emplace();
        contents->AddFolder(plan.destination);
        contents->AddFolder(plan.destination + os::PathSeparator + text::DuplicatesFolder);
    }
    ContentIndex* const index = contents ? &*contents : nullptr;
    Settling settling(plan, found, hooks, index, stop, calls);
    // While copies are written ahead, the stage waits on calls of the file system on other
    // threads: a stop then never waits for it (the written-ahead copies go with the pool).
    std::optional<InCall> writingAhead;
    std::optional<Ahead> ahead;
    if (plan.inFlight > 1 && plan.mode && !plan.dryRun) {
        writingAhead.emplace(calls, plan.destination);
        ahead.emplace(found, plan, index, stop);
    }
    const auto ended = [&](CopiesEnd end) {
        if (end == CopiesEnd::Stopped) settling.Abandon(text::WhyStopped);
        return CopiesDone{settling.Saved(), end};
    };
    std::string lastTaken;
    for (std::size_t i = 0; i < found.Count(); ++i) {
        if (stop.stop_requested()) return ended(CopiesEnd::Stopped);
        if (!IsTaken(found, i, plan)) {
            // A file no reader could measure is left out for that, and its account says so.
            settling.Take(
                Plain(i, Outcome::BelowBound, found.measured[i] ? "" : text::SizeUnknown));
        } else if (plan.dryRun) {
            settling.Take(Plain(i, Outcome::NotReached, text::DryRun));
        } else if (!plan.mode) {
            lastTaken = found.paths[i];
            settling.Take(Plain(i, Outcome::Failed, text::NoRuleForTakenNames));
        } else {
            lastTaken = found.paths[i];
            if (const std::optional<CopiesEnd> end =
                    CopyTaken(found, i, plan, hooks, stop, calls, index, ahead ? &*ahead : nullptr,
                              settling)) {
                return ended(*end);
            }
        }
        if (settling.Due()) settling.Settle();
        if (!plan.dryRun && hooks.stepped && !hooks.stepped(i + 1, lastTaken)) {
            return ended(CopiesEnd::Stopped);
        }
    }
    settling.Settle();
    // A stop during the last group's settling left its sources; the run did not finish.
    return {settling.Saved(), stop.stop_requested() ? CopiesEnd::Stopped : CopiesEnd::Finished};
}

}  // namespace tessel
