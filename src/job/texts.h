// job/texts.h: the status lines that both front ends show, and the run request's messages.
// The status lines are the engine's UTF-8 on every platform: the worker composes the run's
// status text from them and whole paths, and the window turns that text into UTF-16 where it
// shows it. The formats take %u (a whole number), %c (one character: always a CR or LF pair
// here) and %s (a text), filled by ComposeText; their cuts count TextCodePage bytes
// (job/status_text.h). The messages are UTF-16, as the window's message boxes take them; the
// command converts them for its console.
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

// What a file's account says beyond its outcome, as the command's report gives its REASON:
// English, as the rest of the command's own words. Where the system said no, its words follow
// the texts that end in ": ".
extern const char DryRun[];
extern const char SizeUnknown[];         // below the bound: no reader could measure it
extern const char SourceStays[];         // + the system's words, or one of the whys below
extern const char NotVerified[];         // + one of the whys below
extern const char WhyStopped[];          // the run was stopped
extern const char WhyDestinationGone[];  // the destination folder went away
extern const char WhyNotFlushed[];       // + the system's words
extern const char NotRemovedAfterAll[];  // after CopyDiffers: + the system's words
extern const char MovedHereByThisRun[];  // overwrite with a move: the name holds a moved file

// Run request.
extern const char16_t SourceFolderInvalid[];
extern const char16_t DestinationFolderInvalid[];
extern const char16_t CreateDestinationQuestion[];

}  // namespace tessel::text
