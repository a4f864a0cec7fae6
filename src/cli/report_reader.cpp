#include "cli/report_reader.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "cli/listing.h"

namespace tessel::cli {
namespace {

constexpr std::size_t FieldCount = 6;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

ReportRecordRead RecordOf(std::array<std::string, FieldCount>& fields) {
    return {std::move(fields[0]), std::move(fields[1]), std::move(fields[2]),
            std::move(fields[3]), std::move(fields[4]), std::move(fields[5])};
}

// Six fields, each ended by NUL; what follows the last NUL is a record cut off.
void ReadNulRecords(std::string_view text, ReportRead& read) {
    std::array<std::string, FieldCount> fields;
    std::size_t field = 0;
    std::size_t start = 0;
    for (std::size_t end = text.find('\0'); end != std::string_view::npos;
         start = end + 1, end = text.find('\0', start)) {
        fields[field++] = std::string(text.substr(start, end - start));
        if (field == FieldCount) {
            read.records.push_back(RecordOf(fields));
            field = 0;
        }
    }
    read.cutOff = field != 0 || start < text.size();
}

// One line: six TAB-separated fields, the last three escaped.
bool ReadLine(std::string_view line, ReportRead& read) {
    std::array<std::string, FieldCount> fields;
    std::size_t field = 0;
    for (std::size_t start = 0;; ++field) {
        const std::size_t tab = line.find('\t', start);
        const std::string_view raw =
            line.substr(start, tab == std::string_view::npos ? tab : tab - start);
        if (field >= FieldCount) return false;
        if (field < 3) {
            fields[field] = std::string(raw);
        } else {
            std::optional<std::string> plain = UnescapePath(raw);
            if (!plain) return false;
            fields[field] = std::move(*plain);
        }
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    if (field + 1 != FieldCount) return false;
    read.records.push_back(RecordOf(fields));
    return true;
}

}  // namespace

std::optional<std::string> UnescapePath(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        const char letter = text[i];
        const auto escape =
            std::find_if(std::begin(CharEscapes), std::end(CharEscapes),
                         [letter](const CharEscape& e) { return e.letter == letter; });
        if (escape != std::end(CharEscapes)) {
            out += escape->raw;
            continue;
        }
        if (letter != 'x') return std::nullopt;
        const int high = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high << 4 | low);
        i += 2;
    }
    return out;
}

ReportRead ReadReport(std::string_view text) {
    ReportRead read;
    read.nulTerminated = text.find('\0') != std::string_view::npos;
    if (read.nulTerminated) {
        ReadNulRecords(text, read);
        return read;
    }
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string_view::npos;
         start = end + 1, end = text.find('\n', start)) {
        if (!ReadLine(text.substr(start, end - start), read)) {
            read.malformed = read.records.size() + 1;
            return read;
        }
    }
    read.cutOff = start < text.size();
    return read;
}

}  // namespace tessel::cli
