// cli/report_reader.h: the records of a --report file read back, in either form it is written
// in (cli/report.h): lines of six TAB-separated fields with escaped paths, or six NUL-ended
// fields each. The forms are told apart by content: only the NUL form holds a NUL byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::cli {

// `text` with the escapes of EscapePath undone (cli/listing.h). nullopt for an escape that
// EscapePath never writes: no record of ours holds it.
std::optional<std::string> UnescapePath(std::string_view text);

struct ReportRecordRead {
    std::string outcome;
    std::string side;
    std::string bytes;
    std::string source;
    std::string destination;
    std::string reason;
};

struct ReportRead {
    std::vector<ReportRecordRead> records;
    bool nulTerminated = false;
    // The last record was cut off (a run killed while it wrote): it is not among `records`.
    bool cutOff = false;
    // Set when a record cannot be ours (a wrong count of fields, an unknown escape): which one,
    // counted from 1. The records before it are read; none after.
    std::optional<std::size_t> malformed;
};

ReportRead ReadReport(std::string_view text);

}  // namespace tessel::cli
