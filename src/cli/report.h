// cli/report.h: the account of --report=FILE, one record per found file in scan order,
// written as the run goes, so that whatever ends the run, what was done is on the disk:
//   OUTCOME<TAB>SIDE<TAB>BYTES<TAB>SOURCE<TAB>DESTINATION<TAB>REASON<LF>
// with the paths and the reason escaped as --list writes them, or with --null six fields each
// ended by NUL and written as they are (no byte of a name can then be taken for a separator).
// A folder the run made is told by a record `created` with the folder as its DESTINATION,
// before the first file that goes into it. A run that did not finish ends with the files it
// never reached and one record that says it stopped. cli/report_reader.h reads them back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_account.h"
#include "files/folder_scan.h"

namespace tessel::cli {

// The OUTCOME of a record that tells of a folder the run made.
inline constexpr std::string_view CreatedWord = "created";

// One record, with its ends (SIDE and BYTES as written, empty for a record of no file).
std::string ReportRecord(std::string_view outcome, std::string_view side, std::string_view bytes,
                         std::string_view source, std::string_view destination,
                         std::string_view reason, bool nulTerminated);

class Report {
public:
    // Where the records go: a file created (or emptied) at `path`, or standard output for
    // "-". nullptr when the file cannot be made; `error` then says why.
    static std::unique_ptr<Report> Open(const std::string& path, bool nulTerminated,
                                        std::string& error);
    // Records to `file` (closed with the report when `ownsFile`), or to standard output when
    // `file` is null.
    Report(std::FILE* file, bool ownsFile, bool nulTerminated);
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    // The found files, from the run's found-file hook; records are written from here on.
    void Found(const FoundFileList& found);
    // One file's account, from the run's file hook: the record, written at once (after the
    // `created` record of a folder it made).
    void Handled(const FileAccount& account);
    // A folder made before the run, for it (the destination's missing last level).
    void Created(const std::string& folder);
    // Any record, written at once (the undo's own account).
    void Record(std::string_view outcome, std::string_view side, std::string_view bytes,
                std::string_view source, std::string_view destination, std::string_view reason);
    // A run that did not finish: the files never reached, then the record of the stop, with
    // `why` ("interrupted", ...) as its REASON.
    void Stopped(std::string_view why);
    // Whether every record so far went out whole; `error` says why not.
    bool Whole(std::string& error);

private:
    void Put(const std::string& record);

    std::mutex lock_;  // the worker writes the records, the command's loop the last ones
    std::FILE* file_;
    bool ownsFile_;
    bool nul_;
    std::vector<std::string> paths_;
    std::vector<std::int32_t> sides_;
    std::vector<std::uint64_t> sizes_;
    std::size_t next_ = 0;  // the first file not yet told
    int failure_ = 0;       // errno of the first write that failed
    bool failed_ = false;
};

}  // namespace tessel::cli
