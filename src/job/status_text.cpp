#include "job/status_text.h"

namespace tessel {

void AppendKeepingTail(std::string& text, std::string_view addition, std::size_t limit,
                       CodePage cp) {
    text.append(addition);
    // A text of `limit` bytes or fewer takes at most as much in code page 932.
    if (text.size() > limit) text.erase(0, text.size() - ShownSuffix(text, limit, cp));
}

std::string CutToLimit(std::string text, std::size_t limit, CodePage cp) {
    if (text.size() > limit) text.resize(ShownPrefix(text, limit, cp));
    return text;
}

void ComposeArg::AppendTo(std::string& out, char conversion) const {
    switch (conversion) {
        case 'u':
            if (kind_ == Kind::Number) out += std::to_string(number_);
            return;
        case 'c':
            if (kind_ == Kind::Char) out += c_;
            return;
        case 's':
            if (kind_ == Kind::Text) out += text_;
            return;
    }
}

std::string ComposeText(std::string_view format, std::initializer_list<ComposeArg> args,
                        std::size_t limit, CodePage cp) {
    std::string out;
    out.reserve(format.size() + 64);
    auto next = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        // '%' is never part of a longer character in UTF-8, so a byte-wise walk is safe.
        if (format[i] != '%' || i + 1 == format.size()) {
            out += format[i];
            continue;
        }
        const char conversion = format[++i];
        if (conversion == '%') {
            out += '%';
        } else if (next != args.end()) {
            (next++)->AppendTo(out, conversion);
        }
        // A character of up to four UTF-8 bytes takes at least one in either measure: past
        // four times the limit nothing more can be kept.
        if (out.size() > 4 * limit) break;
    }
    return CutToLimit(std::move(out), limit, cp);
}

}  // namespace tessel
