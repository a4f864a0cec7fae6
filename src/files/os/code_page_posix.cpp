// files/os/code_page_posix.cpp: code page 932 through glibc's iconv. Its CP932 table is
// Microsoft's, but it also takes a few look-alikes into code page 932 (U+301C WAVE DASH as
// 81 60, U+00A5 YEN SIGN as 5C) that Windows refuses without best fit; a character counts
// only when it comes back as itself.
#include <iconv.h>

#include <cerrno>
#include <memory>

#include "files/os/code_page_os.h"

namespace tessel::os {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) ::iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // The whole of `in`, or nullopt at the first sequence the target cannot take (or the
    // source does not hold).
    std::optional<std::string> Convert(std::string_view in) const {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
        std::string out(in.size() * 4 + 8, '\0');
        char* from = const_cast<char*>(in.data());
        std::size_t fromLeft = in.size();
        char* to = out.data();
        std::size_t toLeft = out.size();
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        if (::iconv(cd_, &from, &fromLeft, &to, &toLeft) == static_cast<std::size_t>(-1)) {
            return std::nullopt;
        }
        out.resize(out.size() - toLeft);
        return out;
    }

private:
    iconv_t cd_;
};

}  // namespace

std::optional<std::u16string> Cp932ToUtf16(std::string_view cp932) {
    const Converter toUtf16("UTF-16LE", "CP932");
    const std::optional<std::string> bytes = toUtf16.Convert(cp932);
    if (!bytes) return std::nullopt;
    std::u16string out(bytes->size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char16_t>(static_cast<unsigned char>((*bytes)[2 * i]) |
                                       static_cast<unsigned char>((*bytes)[2 * i + 1]) << 8);
    }
    return out;
}

std::string BmpToCp932(std::u16string_view bmp) {
    const Converter toCp932("CP932", "UTF-16LE");
    const Converter back("UTF-16LE", "CP932");
    std::string out;
    out.reserve(bmp.size() * 2);
    for (const char16_t unit : bmp) {
        if (unit < 0x80) {
            out += static_cast<char>(unit);
            continue;
        }
        const char pair[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        const std::optional<std::string> code = toCp932.Convert({pair, 2});
        const std::optional<std::string> again = code ? back.Convert(*code) : std::nullopt;
        out += again && *again == std::string_view(pair, 2) ? *code : "?";
    }
    return out;
}

}  // namespace tessel::os
