// cli/undo.cpp: the records of a run's report, last first, each put back through the file
// system's seam. A copy is removed only after its bytes were compared with its source's; a
// copy moved back across file systems is flushed where it lands before its old name goes.
#include "cli/undo.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/messages.h"
#include "cli/progress_line.h"
#include "cli/report.h"
#include "cli/report_reader.h"
#include "cli/run.h"
#include "cli/texts.h"
#include "files/file_account.h"
#include "files/os/file_system.h"
#include "files/os/path_parts.h"
#include "files/path_tests.h"
#include "files/same_bytes.h"
#include "files/texts.h"

namespace tessel::cli {
namespace {

// The whole of the file at `path`; nullopt when it cannot be read.
std::optional<std::string> ReadWhole(const std::string& path) {
    const std::unique_ptr<os::FileReader> file = os::OpenForComparing(path);
    if (!file) return std::nullopt;
    std::string text;
    std::uint8_t block[64 << 10];
    for (std::uint64_t offset = 0;;) {
        const std::size_t got = file->ReadAt(offset, block);
        if (got == 0) break;
        text.append(reinterpret_cast<const char*>(block), got);
        offset += got;
    }
    return text;
}

// The folders on the way to `folder` that are missing, made from the top down.
bool MakeFoldersTo(const std::string& folder) {
    if (FolderExists(folder)) return true;
    const std::string parent(os::FolderOfPath(folder));
    if (parent == folder || !MakeFoldersTo(parent)) return false;
    return os::MakeFolder(folder) || FolderExists(folder);
}

enum class Done { Removed, MovedBack, Kept, Absent, FolderRemoved, FolderKept };

std::string_view WordOf(Done done) {
    switch (done) {
        case Done::Removed:
        case Done::FolderRemoved: return text::UndoRemoved;
        case Done::MovedBack: return text::UndoMovedBack;
        case Done::Kept:
        case Done::FolderKept: return text::UndoKept;
        case Done::Absent: break;
    }
    return text::UndoAbsent;
}

class Undoing {
public:
    Undoing(const CommandLine& command, Report* account) : command_(command), account_(account) {}

    void Copy(const ReportRecordRead& record) {
        const std::string& source = record.source;
        const std::string& copy = record.destination;
        const bool replaced = record.reason.find(tessel::text::ReplacedAFile) != std::string::npos;
        os::DirEntry entry;
        const bool copyThere = QueryEntry(copy, entry) && !IsFolderEntry(entry.attributes);
        const std::uint64_t copySize = entry.size;
        const bool sourceThere = QueryEntry(source, entry);
        if (!copyThere) {
            Tell(record, Done::Absent, sourceThere ? text::AbsentSourceThere : text::AbsentBothGone,
                 sourceThere);
            return;
        }
        if (sourceThere) {
            Remove(record, copySize, entry, replaced);
        } else {
            MoveBack(record, replaced);
        }
    }

    void Folder(const ReportRecordRead& record) {
        // The copies moved back that wait for their flush still stand in the folder.
        Settle();
        const std::string& folder = record.destination;
        if (!FolderExists(folder)) return;  // gone already: nothing of the run is left there
        std::vector<os::DirEntry> entries;
        if (!os::ListFolder(folder, entries) || !entries.empty()) {
            Tell(record, Done::FolderKept, text::FolderNotEmpty, true);
            return;
        }
        if (command_.dryRun) {
            Tell(record, Done::FolderRemoved, text::UndoDryRun, true);
        } else if (os::RemoveFolder(folder)) {
            Tell(record, Done::FolderRemoved, {}, true);
        } else {
            Tell(record, Done::FolderKept, os::FailureText(os::LastFailure()), false);
        }
    }

    // The copies moved back to another file system: flushed there, then their old names go.
    void Settle() {
        std::vector<std::string> folders;
        for (const Waiting& w : waiting_) {
            std::string folder(os::FolderOfPath(w.record.source));
            if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
                folders.push_back(std::move(folder));
            }
        }
        std::string unflushed;
        for (const std::string& folder : folders) {
            if (!os::FlushFolder(folder) && unflushed.empty()) {
                unflushed = os::FailureText(os::LastFailure());
            }
        }
        for (const Waiting& w : waiting_) {
            if (!unflushed.empty()) {
                // Both stand: the copy where the run put it, and its copy back at the source.
                TellNow(w.record, Done::Kept, text::KeptNotFlushed + unflushed, false);
            } else if (os::RemoveFile(w.record.destination)) {
                TellNow(w.record, Done::MovedBack, w.reason, w.reason.empty());
            } else {
                TellNow(w.record, Done::Kept,
                        text::KeptNotRemoved + os::FailureText(os::LastFailure()), false);
            }
        }
        waiting_.clear();
        for (Told& told : later_) TellNow(told.record, told.done, told.reason, told.undone);
        later_.clear();
    }

    const UndoCounts& Counts() const { return counts_; }

private:
    struct Waiting {
        ReportRecordRead record;
        std::string reason;
    };
    struct Told {
        ReportRecordRead record;
        Done done;
        std::string reason;
        bool undone;
    };

    void Remove(const ReportRecordRead& record, std::uint64_t copySize,
                const os::DirEntry& sourceEntry, bool replaced) {
        const std::string& copy = record.destination;
        if (os::IsSameFile(record.source, copy)) {
            Tell(record, Done::Kept, text::KeptIsTheSource, false);
            return;
        }
        if (replaced) {
            Tell(record, Done::Kept, text::KeptReplaced, false);
            return;
        }
        const bool same = !IsFolderEntry(sourceEntry.attributes) && sourceEntry.size == copySize &&
                          CompareBytes(record.source, copy, copySize, {}) == Comparison::Same;
        if (!same) {
            Tell(record, Done::Kept, text::KeptDiffers, false);
        } else if (command_.dryRun) {
            Tell(record, Done::Removed, text::UndoDryRun, true);
        } else if (os::RemoveFile(copy)) {
            Tell(record, Done::Removed, {}, true);
        } else {
            Tell(record, Done::Kept, text::KeptNotRemoved + os::FailureText(os::LastFailure()),
                 false);
        }
    }

    void MoveBack(const ReportRecordRead& record, bool replaced) {
        const std::string& source = record.source;
        const std::string& copy = record.destination;
        const std::string cannot = replaced ? std::string(text::MovedBackReplaced) : std::string();
        if (command_.dryRun) {
            Tell(record, Done::MovedBack, replaced ? cannot : std::string(text::UndoDryRun),
                 !replaced);
            return;
        }
        if (!MakeFoldersTo(std::string(os::FolderOfPath(source)))) {
            Tell(record, Done::Kept, text::KeptNotMoved + os::FailureText(os::LastFailure()),
                 false);
            return;
        }
        switch (os::RenameFile(copy, source)) {
            case os::MoveResult::Moved: Tell(record, Done::MovedBack, cannot, !replaced); return;
            case os::MoveResult::TargetExists:
                Tell(record, Done::Kept, text::KeptSourceTaken, false);
                return;
            case os::MoveResult::OtherVolume: break;
            case os::MoveResult::Failed:
                Tell(record, Done::Kept, text::KeptNotMoved + os::FailureText(os::LastFailure()),
                     false);
                return;
        }
        switch (os::CopyFileTo(copy, source, true, {}, os::CopyDurability::Flushed)) {
            case os::CopyResult::Copied:
                waiting_.push_back({record, cannot});
                if (waiting_.size() >= 256) Settle();
                return;
            case os::CopyResult::TargetExists:
                Tell(record, Done::Kept, text::KeptSourceTaken, false);
                return;
            default:
                Tell(record, Done::Kept, text::KeptNotMoved + os::FailureText(os::LastFailure()),
                     false);
                return;
        }
    }

    // Told in the order undone: after the copies that wait for their flush.
    void Tell(const ReportRecordRead& record, Done done, std::string reason, bool undone) {
        if (!waiting_.empty()) {
            later_.push_back({record, done, std::move(reason), undone});
            return;
        }
        TellNow(record, done, reason, undone);
    }

    void TellNow(const ReportRecordRead& record, Done done, const std::string& reason,
                 bool undone) {
        switch (done) {
            case Done::Removed: ++counts_.removed; break;
            case Done::MovedBack: ++counts_.movedBack; break;
            case Done::Kept: ++counts_.kept; break;
            case Done::Absent: ++counts_.absent; break;
            case Done::FolderRemoved: ++counts_.folders; break;
            case Done::FolderKept: break;
        }
        if (!undone) {
            counts_.allUndone = false;
            PrintError(text::Fill(text::UndoLeft, {WordOf(done), record.destination, reason}));
        }
        if (account_) {
            account_->Record(WordOf(done), record.side, record.bytes, record.source,
                             record.destination, reason);
        }
    }

    const CommandLine& command_;
    Report* account_;
    UndoCounts counts_;
    std::vector<Waiting> waiting_;
    std::vector<Told> later_;
};

}  // namespace

int Undo(const CommandLine& command) {
    const std::string& path = *command.undo;
    const std::optional<std::string> text = ReadWhole(path);
    if (!text) {
        PrintError(text::Fill(text::UndoReportUnreadable, {path, std::strerror(errno)}));
        return InvalidFolder;
    }
    const ReportRead read = ReadReport(*text);
    if (read.malformed) {
        PrintError(text::Fill(text::UndoReportMalformed, {path, std::to_string(*read.malformed)}));
        return InvalidFolder;
    }
    if (read.cutOff) PrintError(text::Fill(text::UndoCutOff, {path}));
    std::unique_ptr<Report> account;
    if (command.report) {
        std::string error;
        account = Report::Open(*command.report, command.nul, error);
        if (!account) {
            PrintError(error);
            return InvalidFolder;
        }
    }

    Undoing undoing(command, account.get());
    ProgressLine line(!command.quiet && ErrorIsInteractive());
    const std::string total = Grouped(read.records.size());
    std::size_t done = 0;
    for (auto r = read.records.rbegin(); r != read.records.rend(); ++r, ++done) {
        line.DrawText(text::Fill(text::UndoProgress, {Grouped(done), total}),
                      std::chrono::steady_clock::now());
        if (r->outcome == OutcomeWord(Outcome::Saved)) {
            undoing.Copy(*r);
        } else if (r->outcome == CreatedWord) {
            undoing.Folder(*r);
        }
    }
    undoing.Settle();
    line.Clear();

    const UndoCounts& counts = undoing.Counts();
    Write(Stream::Out,
          text::Fill(command.dryRun ? text::UndoFinalDry : text::UndoFinal,
                     {Grouped(counts.removed), Grouped(counts.movedBack), Grouped(counts.kept),
                      Grouped(counts.absent), Grouped(counts.folders)}),
          CodePage::Utf8);
    std::string error;
    if (account && !account->Whole(error)) {
        PrintError(error);
        return ReportIncomplete;
    }
    return counts.allUndone ? Finished : NotAllUndone;
}

}  // namespace tessel::cli
