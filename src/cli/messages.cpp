#include "cli/messages.h"

#include "cli/console.h"
#include "cli/texts.h"

namespace tessel::cli {

std::string AsShown(std::string_view jobText) {
    return InTextCodePage(jobText);
}

std::string AsShown(const char16_t* message) {
    return InTextCodePage(Utf16ToUtf8(message));
}

void PrintError(std::string_view message, CodePage cp) {
    Write(Stream::Err, text::ErrorPrefix, CodePage::Utf8);
    Write(Stream::Err, message, cp);
    Write(Stream::Err, "\n", CodePage::Utf8);
}

bool AskYesNo(const char16_t* question) {
    Write(Stream::Err, text::ErrorPrefix, CodePage::Utf8);
    Write(Stream::Err, AsShown(question), TextCodePage);
    Write(Stream::Err, text::YesNoSuffix, CodePage::Utf8);
    const std::string answer = ReadLine();
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

std::string LeftOutUnknownNote(std::size_t files) {
    const std::string count =
        files == 1 ? std::string(text::OneFile) : text::Fill(text::Files, {std::to_string(files)});
    return text::Fill(text::LeftOutUnknownSize, {count});
}

std::string WithLineFeeds(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

}  // namespace tessel::cli
