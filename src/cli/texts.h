// cli/texts.h: every fixed text of the tessel command itself: its help, its usage errors,
// what it says while it stops, and its question's suffix. ASCII, and written out as they
// are on every platform (console.h's Write takes them as UTF-8). The job's texts, which the
// window shows too, are job/texts.h's: the command converts those for its console.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace tessel::cli::text {

// Before every line on standard error: the error, the question, the stop messages.
extern const char ErrorPrefix[];
// The line after a usage error.
extern const char TryHelp[];
// After the create-destination question.
extern const char YesNoSuffix[];
extern const char VersionLine[];

// --help: the head, the --kind line's fixed part (%s: the default kind), and the rest.
extern const char UsageHead[];
extern const char KindOptionHelp[];
extern const char UsageRest[];

// Usage errors. A %s is filled by Fill: an option as the user wrote it, a value, or what
// the option takes.
extern const char UnrecognizedOption[];  // %s: the name after "--"
extern const char AmbiguousOption[];     // %s: the name after "--"
extern const char InvalidShortOption[];  // %s: the one character
extern const char MissingArgument[];     // %s: "--name" or "-c"
extern const char UnwantedArgument[];    // %s: the full name after "--"
extern const char InvalidArgument[];     // %s: value, full name, what it takes
extern const char DuplicatesTaken[];
extern const char ThresholdTaken[];
extern const char ReportTaken[];
extern const char JobsTaken[];
extern const char ListSeparator[];  // between kind names, and before the last one
extern const char ListLastSeparator[];
extern const char KindWithExtensions[];
extern const char ThresholdNotForKind[];  // %s: the kind
extern const char MissingOperand[];
extern const char ExtraOperand[];

// When memory runs out, in the worker or in the command's own loop. Files copied before
// stay, as after Ctrl-C; none is left half written.
extern const char OutOfMemory[];
// After Ctrl-C or a request to end: at once, again at every further one, and at the end.
extern const char Stopping[];
extern const char Stopped[];
extern const char WaitingForCall[];  // %s: the call, as the stopped worker names it

// After the final text of a run whose bound left out files of no readable size (%s: OneFile,
// or Files with the count).
extern const char LeftOutUnknownSize[];
extern const char OneFile[];
extern const char Files[];

// --report: a file that cannot be made (%s: the path, the system's words), and one whose
// records did not all go out (%s: the system's words).
extern const char ReportNotMade[];
extern const char ReportNotWhole[];
// The REASON of the report's last record when the run did not finish.
extern const char StoppedByInterrupt[];
extern const char StoppedByRequest[];
extern const char StoppedByMemory[];
extern const char StoppedByDestinationGone[];
// The destination folder went away mid-run (%s: the folder as given).
extern const char DestinationWentAway[];

// The progress line: while searching (%s: files, "file"/"files", folders, "folder"/"folders"),
// while copying (%s: files done, to do, bytes done, to do), and its rate and time left.
extern const char ProgressSearching[];
extern const char ProgressCopying[];
extern const char ProgressRate[];
extern const char FileWord[];
extern const char FilesWord[];
extern const char FolderWord[];
extern const char FoldersWord[];

// --undo. The outcomes of its own report, its progress line (%s: records done, all), what it
// says of each thing it leaves (%s: outcome, path, why), and its final text (%s: the counts).
extern const char UndoRemoved[];
extern const char UndoMovedBack[];
extern const char UndoKept[];
extern const char UndoAbsent[];
extern const char UndoProgress[];
extern const char UndoLeft[];
extern const char UndoFinal[];
extern const char UndoFinalDry[];
extern const char UndoDryRun[];
extern const char UndoOnlyWith[];
extern const char UndoReportUnreadable[];  // %s: the path, the system's words
extern const char UndoReportMalformed[];   // %s: the path, the record's number
extern const char UndoCutOff[];            // %s: the path
// Why the undo left something: the REASON of its report.
extern const char AbsentSourceThere[];
extern const char AbsentBothGone[];
extern const char KeptIsTheSource[];
extern const char KeptReplaced[];
extern const char KeptDiffers[];
extern const char KeptSourceTaken[];
extern const char KeptNotRemoved[];  // + the system's words
extern const char KeptNotMoved[];    // + the system's words
extern const char KeptNotFlushed[];  // + the system's words
extern const char MovedBackReplaced[];
extern const char FolderNotEmpty[];

// `format` with each %s replaced by the next of `values`, in order.
std::string Fill(std::string_view format, std::initializer_list<std::string_view> values);

}  // namespace tessel::cli::text
