// cli/messages.h: how the command speaks. Every line on standard error starts with
// "tessel: "; the job's texts go out in TextCodePage, so that on Windows they pass through
// code page 932 and the console gets the bytes it always got; the command's own texts
// (cli/texts.h) are ASCII, or UTF-8 where they quote an argument.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "files/code_page.h"

namespace tessel::cli {

// A job text (UTF-8 status, UTF-16 message) in TextCodePage.
std::string AsShown(std::string_view jobText);
std::string AsShown(const char16_t* message);

// "tessel: ", `message` (whose code page is `cp`) and a line feed, on standard error.
void PrintError(std::string_view message, CodePage cp = CodePage::Utf8);

// Asks `question` on standard error with " [y/N] " and reads the answer: yes only for an
// answer that starts with y or Y.
bool AskYesNo(const char16_t* question);

// "3 files left out by the bound: size unknown": the line after the final text when the
// bound left out files whose size no header told.
std::string LeftOutUnknownNote(std::size_t files);

// The worker's text with each CR LF pair as one line feed; a CR alone stays.
std::string WithLineFeeds(std::string_view text);

}  // namespace tessel::cli
