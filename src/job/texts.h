// job/texts.h: the status lines and run-request messages that both front ends show. The
// window's build stores them in code page 932 (texts.cpp gets -fexec-charset=CP932), the
// command's in UTF-8; byte counts differ between the two, and the cuts are made in bytes.
// The formats take %u (a whole number), %c (one character: always a CR or LF pair here)
// and %s (a text), filled by ComposeText.
#pragma once

namespace tessel::text {

// The worker's first line, and the window's log while a run starts.
extern const char StatusSearching[];
// Two line breaks and the line shown while totals and duplicates are counted.
extern const char StatusCalculating[];

// The summary by threshold mode: count, CR, LF, KByte, CR, LF, duplicates, CR, LF
// [, bound, bound].
extern const char SummaryNoBound[];
extern const char SummaryAutoFailed[];
extern const char SummaryAutoBound[];
extern const char SummaryManualBound[];

// Summary, 3 x CR LF, path of the file just handled.
extern const char StatusCopying[];
// Summary, CR LF, saved count, 2 x CR LF.
extern const char StatusFinished[];

// The log after a run: CR, LF, CR, LF, source folder, CR, LF, the run's last text.
extern const char PreviousRun[];

// Run request.
extern const char SourceFolderInvalid[];
extern const char DestinationFolderInvalid[];
extern const char CreateDestinationQuestion[];

}  // namespace tessel::text
