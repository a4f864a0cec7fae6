#include "job/status_text.h"

namespace tessel {

void AppendKeepingTail(std::string& text, std::string_view addition, std::size_t limit) {
    text.append(addition);
    if (text.size() > limit) text.erase(0, text.size() - limit);
}

std::string CutToLimit(std::string text, std::size_t limit) {
    if (text.size() > limit) text.resize(limit);
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
                        std::size_t limit) {
    std::string out;
    out.reserve(format.size() + 64);
    auto next = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        // '%' is never the trail byte of a double-byte character in code page 932 (those
        // start at 0x40), so a byte-wise walk is safe in both encodings.
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
        if (out.size() > limit) break;
    }
    return CutToLimit(std::move(out), limit);
}

}  // namespace tessel
