// cli/texts.cpp: the command's texts (texts.h). The help's columns: options from 2, their
// descriptions from 35.
#include "cli/texts.h"

#include "base/version.h"

namespace tessel::cli::text {

const char ErrorPrefix[] = "tessel: ";
const char TryHelp[] = "Try 'tessel --help' for more information.\n";
const char YesNoSuffix[] = " [y/N] ";
const char VersionLine[] = "tessel " TESSEL_VERSION_STRING "\n";

const char UsageHead[] =
    "Usage: tessel [OPTION]... SOURCE DESTINATION\n"
    "Copy every file of one kind found under SOURCE into the folder DESTINATION.\n"
    "\n";
const char KindOptionHelp[] = "preset list of extensions (default %s)";
const char UsageRest[] =
    "  -e, --extensions=LIST            own comma-separated list, taken as typed\n"
    "  -d, --duplicates=numbered|overwrite|separate\n"
    "                                   a taken name gets a number (default), is\n"
    "                                   overwritten, or goes to a sub-folder\n"
    "      --same-content               do not copy a file whose bytes already stand in\n"
    "                                   DESTINATION (its top level and its duplicates\n"
    "                                   folder) or were copied earlier in the run\n"
    "  -t, --threshold=none|auto|N      no lower bound on the size (default), the\n"
    "                                   automatic bound, or copy only images whose\n"
    "                                   sqrt(width x height) is greater than N; not for\n"
    "                                   archives. A file whose size cannot be read\n"
    "                                   counts 1: a bound leaves it out and says so\n"
    "  -y, --yes                        create a missing last level of DESTINATION\n"
    "                                   without asking\n"
    "  -n, --dry-run                    search, totals and bound only: copy nothing,\n"
    "                                   create nothing\n"
    "      --move                       remove each source file once its copy stands\n"
    "                                   whole under its final name and a flush has put it\n"
    "                                   on the disk (a skipped or failed file stays)\n"
    "      --verify                     read each copy back from the disk and compare it\n"
    "                                   with its source; a copy that differs is removed\n"
    "                                   and reported failed\n"
    "  -l, --list                       print each found file as SIDE<TAB>BYTES<TAB>PATH,\n"
    "                                   in scan order, before the final text; control\n"
    "                                   characters and backslashes in PATH are written\n"
    "                                   as C escapes (\\n, \\t, \\\\, \\xHH)\n"
    "      --report=FILE                write what became of each found file to FILE\n"
    "                                   ('-': standard output): OUTCOME<TAB>SIDE<TAB>\n"
    "                                   BYTES<TAB>SOURCE<TAB>DESTINATION<TAB>REASON, in\n"
    "                                   scan order, as the run goes; escaped as --list,\n"
    "                                   or with --null each of the six fields NUL-ended\n"
    "      --undo=REPORT                put back what the run that wrote REPORT did: remove\n"
    "                                   its copies that still hold their sources' bytes,\n"
    "                                   move moved files back; takes --dry-run, --report\n"
    "                                   (its own account), --null and --quiet\n"
    "  -0, --null                       records of --list and --report ended by NUL\n"
    "                                   instead of a line feed, paths as they are (find\n"
    "                                   -print0); without --report it implies --list\n"
    "  -j, --jobs=N                     keep N calls to the disks in flight (listings,\n"
    "                                   header reads, copies); by default 16 on a network\n"
    "                                   share, 4 on a solid-state disk, 2 on any other;\n"
    "                                   1 makes one call after the other. The result is\n"
    "                                   the same whatever N\n"
    "  -q, --quiet                      no progress line (files, bytes, rate, time left)\n"
    "  -h, --help                       show this help and exit\n"
    "  -V, --version                    show the version and exit\n"
    "\n"
    "A file that DESTINATION holds already is not copied again: with numbered, one\n"
    "whose name is taken by a file of its size, or whose bytes stand under one of\n"
    "the numbers before the first free one; with separate, one whose bytes stand\n"
    "under its own name (inside the sub-folder the rule of numbered applies).\n"
    "A link to a file is taken only when what it leads to lies under SOURCE; a\n"
    "link to a folder is never entered.\n"
    "Sizes are read from the headers of JPEG, GIF, PNG, BMP, WebP, HEIC, HEIF, AVIF,\n"
    "TIFF (with the raw files built on it, such as DNG) and JPEG XL files, each told\n"
    "by its first bytes, whatever its name.\n"
    "\n"
    "Examples:\n"
    "  tessel -y -t auto ~/Pictures/trip ~/picked     images above the automatic bound\n"
    "  tessel --same-content ~/Downloads ~/picked     skip pictures ~/picked holds\n"
    "                                                 under any name\n"
    "  tessel --move --verify /media/card ~/picked    move, checking each copy first\n"
    "  tessel --report=run.tsv ~/Pictures ~/picked    then: grep ^failed run.tsv\n"
    "  tessel --undo=run.tsv                          and back, as it was before\n"
    "  tessel -k photos -t 300 /media/phone ~/picked  photos, no thumbnails\n"
    "\n"
    "Exit status: 0 when the run finished, 1 for a usage error, 2 for an invalid folder\n"
    "or a report file that cannot be made (or, for --undo, read), 3 when memory ran\n"
    "out, 4 when the run finished but the report could not be written whole, 5 when\n"
    "the destination folder went away during the run (no source was removed after\n"
    "it), 6 when --undo left something as the run had made it, 130 when interrupted,\n"
    "143 when terminated (nothing partial is left behind).\n";

const char UnrecognizedOption[] = "unrecognized option '--%s'";
const char AmbiguousOption[] = "option '--%s' is ambiguous";
const char InvalidShortOption[] = "invalid option -- '%s'";
const char MissingArgument[] = "option '%s' requires an argument";
const char UnwantedArgument[] = "option '--%s' doesn't allow an argument";
const char InvalidArgument[] = "invalid argument '%s' for --%s (%s)";
const char DuplicatesTaken[] = "numbered, overwrite or separate";
const char ThresholdTaken[] = "none, auto or a whole number from 0 to 2147483647";
const char ReportTaken[] = "a file name, or - for standard output";
const char JobsTaken[] = "a whole number from 1 to 64";
const char ListSeparator[] = ", ";
const char ListLastSeparator[] = " or ";
const char KindWithExtensions[] = "--kind and --extensions exclude each other";
const char ThresholdNotForKind[] = "--threshold does not apply to --kind=%s";
const char MissingOperand[] = "missing SOURCE or DESTINATION";
const char ExtraOperand[] = "too many arguments";

const char OutOfMemory[] = "out of memory: the run stopped before its end";
const char Stopping[] = "stopping: the files copied so far stay, the one under way is removed";
const char Stopped[] = "stopped: the run did not finish";
const char WaitingForCall[] = "waiting for the system to return from %s";

const char LeftOutUnknownSize[] = "%s left out by the bound: size unknown";
const char OneFile[] = "1 file";
const char Files[] = "%s files";

const char ReportNotMade[] = "cannot write the report '%s': %s";
const char ReportNotWhole[] = "the report was not written whole: %s";
const char StoppedByInterrupt[] = "interrupted";
const char StoppedByRequest[] = "terminated";
const char StoppedByMemory[] = "out of memory";
const char StoppedByDestinationGone[] = "destination gone";
const char DestinationWentAway[] =
    "the destination folder '%s' is gone: the run stopped there; the files copied before "
    "stay, and no source was removed after it";

const char ProgressSearching[] = "searching: %s %s found in %s %s";
const char ProgressCopying[] = "copying: %s/%s files, %s of %s";
const char ProgressRate[] = ", %s/s, %s left";
const char FileWord[] = "file";
const char FilesWord[] = "files";
const char FolderWord[] = "folder";
const char FoldersWord[] = "folders";

const char UndoRemoved[] = "removed";
const char UndoMovedBack[] = "moved-back";
const char UndoKept[] = "kept";
const char UndoAbsent[] = "absent";
const char UndoProgress[] = "undoing: %s/%s records";
const char UndoLeft[] = "%s %s: %s";
const char UndoFinal[] =
    "undo: %s removed, %s moved back, %s kept, %s absent; %s folders of the run removed\n";
const char UndoFinalDry[] =
    "undo (dry run): %s would be removed, %s moved back, %s kept, %s absent; %s folders of "
    "the run removed\n";
const char UndoDryRun[] = "dry run";
const char UndoOnlyWith[] =
    "--undo takes no SOURCE or DESTINATION, and of the options only --dry-run, --report, "
    "--null and --quiet";
const char UndoReportUnreadable[] = "cannot read the report '%s': %s";
const char UndoReportMalformed[] =
    "'%s' is not a report of tessel's: its record %s cannot be read; nothing was undone";
const char UndoCutOff[] =
    "the last record of '%s' is cut off (the run ended while it wrote it): it is ignored";
const char AbsentSourceThere[] = "no copy stands there any more; its source is in place";
const char AbsentBothGone[] = "neither the copy nor its source is there";
const char KeptIsTheSource[] = "the copy is its source itself";
const char KeptReplaced[] =
    "the copy replaced a file of that name, which the undo cannot bring back";
const char KeptDiffers[] = "the copy no longer holds its source's bytes";
const char KeptSourceTaken[] = "its source's path is taken";
const char KeptNotRemoved[] = "the copy could not be removed: ";
const char KeptNotMoved[] = "the copy could not be moved back: ";
const char KeptNotFlushed[] = "its copy back could not be flushed to the disk, so both stay: ";
const char MovedBackReplaced[] = "the file it replaced in the destination cannot be brought back";
const char FolderNotEmpty[] = "the folder holds files";

std::string Fill(std::string_view format, std::initializer_list<std::string_view> values) {
    std::string out;
    auto next = values.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format.compare(i, 2, "%s") == 0 && next != values.end()) {
            out += *next++;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

}  // namespace tessel::cli::text
