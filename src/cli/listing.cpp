#include "cli/listing.h"

#include <algorithm>
#include <iterator>

namespace tessel::cli {

std::string EscapePath(std::string_view path) {
    static constexpr char Hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const auto escape = std::find_if(std::begin(CharEscapes), std::end(CharEscapes),
                                         [c](const CharEscape& e) { return e.raw == c; });
        if (escape != std::end(CharEscapes)) {
            out += '\\';
            out += escape->letter;
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += Hex[byte >> 4];
            out += Hex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

std::string ListingRecord(std::int32_t side, std::uint64_t bytes, std::string_view path,
                          bool nulTerminated) {
    std::string record = std::to_string(side);
    record += '\t';
    record += std::to_string(bytes);
    record += '\t';
    if (nulTerminated) {
        record += path;
        record += '\0';
    } else {
        record += EscapePath(path);
        record += '\n';
    }
    return record;
}

}  // namespace tessel::cli
