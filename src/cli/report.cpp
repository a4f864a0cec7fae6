#include "cli/report.h"

#include <cerrno>
#include <cstring>

#include "cli/console.h"
#include "cli/listing.h"
#include "cli/output_file.h"
#include "cli/texts.h"

namespace tessel::cli {

std::string ReportRecord(std::string_view outcome, std::string_view side, std::string_view bytes,
                         std::string_view source, std::string_view destination,
                         std::string_view reason, bool nulTerminated) {
    const char end = nulTerminated ? '\0' : '\t';
    std::string record(outcome);
    record += end;
    record += side;
    record += end;
    record += bytes;
    record += end;
    if (nulTerminated) {
        for (const std::string_view field : {source, destination, reason}) {
            record += field;
            record += '\0';
        }
    } else {
        record += EscapePath(source);
        record += '\t';
        record += EscapePath(destination);
        record += '\t';
        record += EscapePath(reason);
        record += '\n';
    }
    return record;
}

std::unique_ptr<Report> Report::Open(const std::string& path, bool nulTerminated,
                                     std::string& error) {
    if (path == "-") return std::make_unique<Report>(nullptr, false, nulTerminated);
    std::FILE* file = OpenForWriting(path);
    if (file == nullptr) {
        error = text::Fill(text::ReportNotMade, {path, std::strerror(errno)});
        return nullptr;
    }
    return std::make_unique<Report>(file, true, nulTerminated);
}

Report::Report(std::FILE* file, bool ownsFile, bool nulTerminated)
    : file_(file), ownsFile_(ownsFile), nul_(nulTerminated) {}

Report::~Report() {
    if (ownsFile_ && file_ != nullptr) std::fclose(file_);
}

void Report::Found(const FoundFileList& found) {
    std::scoped_lock hold(lock_);
    paths_ = found.paths;
    sides_ = found.squareSides;
    sizes_ = found.sizes;
}

void Report::Handled(const FileAccount& account) {
    std::scoped_lock hold(lock_);
    if (account.index >= paths_.size()) return;
    next_ = account.index + 1;
    std::string records;
    if (!account.madeFolder.empty()) {
        records = ReportRecord(CreatedWord, {}, {}, {}, account.madeFolder, {}, nul_);
    }
    records += ReportRecord(OutcomeWord(account.outcome), std::to_string(sides_[account.index]),
                            std::to_string(sizes_[account.index]), paths_[account.index],
                            account.destination, account.reason, nul_);
    Put(records);
}

void Report::Created(const std::string& folder) {
    std::scoped_lock hold(lock_);
    Put(ReportRecord(CreatedWord, {}, {}, {}, folder, {}, nul_));
}

void Report::Record(std::string_view outcome, std::string_view side, std::string_view bytes,
                    std::string_view source, std::string_view destination,
                    std::string_view reason) {
    std::scoped_lock hold(lock_);
    Put(ReportRecord(outcome, side, bytes, source, destination, reason, nul_));
}

void Report::Stopped(std::string_view why) {
    std::scoped_lock hold(lock_);
    std::string rest;
    for (; next_ < paths_.size(); ++next_) {
        rest += ReportRecord(OutcomeWord(Outcome::NotReached), std::to_string(sides_[next_]),
                             std::to_string(sizes_[next_]), paths_[next_], {}, {}, nul_);
    }
    rest += ReportRecord(OutcomeWord(Outcome::Stopped), {}, {}, {}, {}, why, nul_);
    Put(rest);
}

bool Report::Whole(std::string& error) {
    std::scoped_lock hold(lock_);
    if (!failed_ && file_ != nullptr && std::fflush(file_) != 0) {
        failed_ = true;
        failure_ = errno;
    }
    if (failed_) error = text::Fill(text::ReportNotWhole, {std::strerror(failure_)});
    return !failed_;
}

void Report::Put(const std::string& record) {
    if (failed_) return;
    if (file_ == nullptr) {
        // As --list goes out: in the console's code page on Windows.
        Write(Stream::Out, record, CodePage::Utf8);
        return;
    }
    // Out at once: a run that is killed leaves every record it told.
    if (std::fwrite(record.data(), 1, record.size(), file_) != record.size() ||
        std::fflush(file_) != 0) {
        failed_ = true;
        failure_ = errno;
    }
}

}  // namespace tessel::cli
