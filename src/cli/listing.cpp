#include "cli/listing.h"

namespace tessel::cli {

std::string EscapePath(std::string_view path) {
    static constexpr char Hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\\': out += "\\\\"; continue;
            case '\a': out += "\\a"; continue;
            case '\b': out += "\\b"; continue;
            case '\f': out += "\\f"; continue;
            case '\n': out += "\\n"; continue;
            case '\r': out += "\\r"; continue;
            case '\t': out += "\\t"; continue;
            case '\v': out += "\\v"; continue;
        }
        if (byte < 0x20 || byte == 0x7F) {
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
