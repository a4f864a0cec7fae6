// The command line as the parser reads it: how options are written, what each sets, the
// rules between them, and the first fault's text.
#include "cli/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "job/run_request.h"

namespace tessel::cli {
namespace {

using ::testing::HasSubstr;

ParseResult Parse(const std::vector<std::string>& args) {
    std::vector<const char*> argv{"tessel"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

// Every field, so that a row that sets one field too many or too few shows which.
std::string Describe(const CommandLine& c) {
    std::ostringstream out;
    out << "extensions=" << c.extensions << " boundAllowed=" << c.boundAllowed
        << " duplicates=" << static_cast<int>(c.duplicates)
        << " threshold=" << static_cast<int>(c.thresholdMode) << "/" << c.manualBound
        << " yes=" << c.yes << " dryRun=" << c.dryRun << " list=" << c.list << " nul=" << c.nul
        << " report=" << (c.report ? "[" + *c.report + "]" : "none")
        << " undo=" << (c.undo ? "[" + *c.undo + "]" : "none") << " sameContent=" << c.sameContent
        << " move=" << c.move << " verify=" << c.verify << " quiet=" << c.quiet
        << " help=" << c.help << " version=" << c.version << " source=" << c.source
        << " destination=" << c.destination;
    return out.str();
}

// What a plain "tessel src dst" asks for; each row changes what its options set.
CommandLine Plain() {
    CommandLine c;
    c.extensions = ImageExtensions;
    c.source = "src";
    c.destination = "dst";
    return c;
}

TEST(CommandLine, OptionsAreWrittenAsWithGetoptLong) {
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::function<void(CommandLine&)> expect;
    } cases[] = {
        {"defaults", {"src", "dst"}, [](CommandLine&) {}},
        {"bundled flags",
         {"-ynlq", "src", "dst"},
         [](CommandLine& c) { c.yes = c.dryRun = c.list = c.quiet = true; }},
        {"value attached to its short option",
         {"-karchives", "src", "dst"},
         [](CommandLine& c) {
             c.extensions = ArchiveExtensions;
             c.boundAllowed = false;
         }},
        {"value as the next argument",
         {"-d", "separate", "src", "dst"},
         [](CommandLine& c) { c.duplicates = DuplicateMode::SeparateFolder; }},
        // A value option takes the rest of its bundle.
        {"bundle ending in a value",
         {"-yt250", "src", "dst"},
         [](CommandLine& c) {
             c.yes = true;
             c.thresholdMode = ThresholdMode::Manual;
             c.manualBound = 250;
         }},
        {"--name=value",
         {"--duplicates=overwrite", "src", "dst"},
         [](CommandLine& c) { c.duplicates = DuplicateMode::Overwrite; }},
        {"--name value",
         {"--threshold", "auto", "src", "dst"},
         [](CommandLine& c) { c.thresholdMode = ThresholdMode::Auto; }},
        {"unambiguous prefixes",
         {"--dup=separate", "--thr", "0", "--ye", "src", "dst"},
         [](CommandLine& c) {
             c.duplicates = DuplicateMode::SeparateFolder;
             c.thresholdMode = ThresholdMode::Manual;
             c.yes = true;
         }},
        {"options among and after the operands",
         {"src", "-q", "dst", "--list"},
         [](CommandLine& c) { c.quiet = c.list = true; }},
        {"-- ends the options",
         {"--", "-y", "--list"},
         [](CommandLine& c) {
             c.source = "-y";
             c.destination = "--list";
         }},
        {"a lone dash is an operand", {"-", "dst"}, [](CommandLine& c) { c.source = "-"; }},
        // A value is whatever the next argument holds, a leading dash included.
        {"a value that looks like an option",
         {"-e", "-q", "src", "dst"},
         [](CommandLine& c) { c.extensions = "-q"; }},
        {"own list taken as typed",
         {"--extensions= png,JPG", "src", "dst"},
         [](CommandLine& c) { c.extensions = " png,JPG"; }},
        {"the last value wins",
         {"-d", "overwrite", "-d", "numbered", "src", "dst"},
         [](CommandLine&) {}},
        // The bound is judged once all options are read: a later "none" lifts it.
        {"a bound withdrawn before another kind",
         {"-t", "auto", "-t", "none", "-k", "archives", "src", "dst"},
         [](CommandLine& c) {
             c.extensions = ArchiveExtensions;
             c.boundAllowed = false;
         }},
        {"photos with a bound",
         {"-k", "photos", "-t", "auto", "src", "dst"},
         [](CommandLine& c) {
             c.extensions = PhotoExtensions;
             c.thresholdMode = ThresholdMode::Auto;
         }},
        // The window's own list has no bound; the command's may: HEIC files, RAW files.
        {"own list with a bound",
         {"-t", "10", "-e", "heic,dng", "src", "dst"},
         [](CommandLine& c) {
             c.extensions = "heic,dng";
             c.thresholdMode = ThresholdMode::Manual;
             c.manualBound = 10;
         }},
        {"largest bound",
         {"--threshold=2147483647", "src", "dst"},
         [](CommandLine& c) {
             c.thresholdMode = ThresholdMode::Manual;
             c.manualBound = 2147483647;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ParseResult result = Parse(c.args);
        ASSERT_TRUE(result.command) << result.error;
        EXPECT_EQ(result.error, "");
        CommandLine expected = Plain();
        c.expect(expected);
        EXPECT_EQ(Describe(*result.command), Describe(expected));
    }
}

TEST(CommandLine, ReportCopyRulesAndTheirRecords) {
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::function<void(CommandLine&)> expect;
    } cases[] = {
        {"the three copy rules",
         {"--same-content", "--move", "--verify", "src", "dst"},
         [](CommandLine& c) { c.sameContent = c.move = c.verify = true; }},
        {"their prefixes",
         {"--same", "--mo", "--verif", "src", "dst"},
         [](CommandLine& c) { c.sameContent = c.move = c.verify = true; }},
        {"--report=FILE",
         {"--report=out.tsv", "src", "dst"},
         [](CommandLine& c) { c.report = "out.tsv"; }},
        // "-" is standard output, taken as the value and not as an operand.
        {"--report -", {"--report", "-", "src", "dst"}, [](CommandLine& c) { c.report = "-"; }},
        {"--report prefix", {"--rep=r", "src", "dst"}, [](CommandLine& c) { c.report = "r"; }},
        // Without --report, -0 asks for --list's records.
        {"-0 alone", {"-0", "src", "dst"}, [](CommandLine& c) { c.nul = c.list = true; }},
        {"--null alone", {"--null", "src", "dst"}, [](CommandLine& c) { c.nul = c.list = true; }},
        // With --report, before or after it, -0 shapes the report's records only.
        {"-0 then --report",
         {"-0", "--report=r", "src", "dst"},
         [](CommandLine& c) {
             c.nul = true;
             c.report = "r";
         }},
        {"--report then -0",
         {"--report", "r", "-0", "src", "dst"},
         [](CommandLine& c) {
             c.nul = true;
             c.report = "r";
         }},
        {"-l0 with --report",
         {"-l0", "--report=r", "src", "dst"},
         [](CommandLine& c) {
             c.list = c.nul = true;
             c.report = "r";
         }},
        // The undo's own account; no folders, and -0 does not ask for a listing there.
        {"--undo with what it takes",
         {"--undo=r.tsv", "-nq0", "--report=u"},
         [](CommandLine& c) {
             c.undo = "r.tsv";
             c.dryRun = c.quiet = c.nul = true;
             c.report = "u";
             c.source = c.destination = "";
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ParseResult result = Parse(c.args);
        ASSERT_TRUE(result.command) << result.error;
        CommandLine expected = Plain();
        c.expect(expected);
        EXPECT_EQ(Describe(*result.command), Describe(expected));
    }
}

TEST(CommandLine, TheFirstFaultIsTheError) {
    const std::string threshold =
        " for --threshold (none, auto or a whole number from 0 to 2147483647)";
    const std::string undoTakes =
        "--undo takes no SOURCE or DESTINATION, and of the options only --dry-run, --report, "
        "--null and --quiet";
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {"no operand", {}, "missing SOURCE or DESTINATION"},
        {"one operand", {"src"}, "missing SOURCE or DESTINATION"},
        {"three operands", {"a", "b", "c"}, "too many arguments"},
        {"-- makes --help an operand", {"--", "--help"}, "missing SOURCE or DESTINATION"},
        {"unknown long option", {"--colour", "src", "dst"}, "unrecognized option '--colour'"},
        {"unknown short option", {"-z", "src", "dst"}, "invalid option -- 'z'"},
        {"unknown short option in a bundle", {"-yz", "src", "dst"}, "invalid option -- 'z'"},
        {"ambiguous prefix", {"--d=x", "src", "dst"}, "option '--d' is ambiguous"},
        {"version or verify", {"--ver", "src", "dst"}, "option '--ver' is ambiguous"},
        {"bad kind",
         {"--kind=music", "src", "dst"},
         "invalid argument 'music' for --kind (images, archives or photos)"},
        {"bad duplicates by prefix",
         {"--dup", "rename", "src", "dst"},
         "invalid argument 'rename' for --duplicates (numbered, overwrite or separate)"},
        {"word for a bound", {"-tbig", "src", "dst"}, "invalid argument 'big'" + threshold},
        {"negative bound", {"-t", "-5", "src", "dst"}, "invalid argument '-5'" + threshold},
        {"signed bound", {"-t", "+5", "src", "dst"}, "invalid argument '+5'" + threshold},
        {"bound past 31 bits",
         {"--threshold=2147483648", "src", "dst"},
         "invalid argument '2147483648'" + threshold},
        {"bound with a tail",
         {"--threshold=10px", "src", "dst"},
         "invalid argument '10px'" + threshold},
        {"long option without its value",
         {"src", "dst", "--extensions"},
         "option '--extensions' requires an argument"},
        {"prefix without its value",
         {"src", "dst", "--ext"},
         "option '--extensions' requires an argument"},
        {"short option without its value",
         {"src", "dst", "-e"},
         "option '-e' requires an argument"},
        {"--report without its file",
         {"src", "dst", "--report"},
         "option '--report' requires an argument"},
        {"--report with an empty name",
         {"--report=", "src", "dst"},
         "invalid argument '' for --report (a file name, or - for standard output)"},
        {"flag with a value",
         {"--yes=1", "src", "dst"},
         "option '--yes' doesn't allow an argument"},
        {"flag prefix with a value",
         {"--mo=1", "src", "dst"},
         "option '--move' doesn't allow an argument"},
        {"kind and extensions",
         {"-k", "images", "-e", "jpg", "src", "dst"},
         "--kind and --extensions exclude each other"},
        // The window forces "no bound" for archives.
        {"bound for archives",
         {"-k", "archives", "-t", "auto", "src", "dst"},
         "--threshold does not apply to --kind=archives"},
        {"bound for archives, the kind given last",
         {"-t", "10", "-kphotos", "-k", "archives", "src", "dst"},
         "--threshold does not apply to --kind=archives"},
        // The options are read before the operands are counted, and the first fault stops.
        {"options before operands",
         {"-k", "images", "-e", "jpg"},
         "--kind and --extensions exclude each other"},
        {"first of two faults", {"-z", "--colour", "src", "dst"}, "invalid option -- 'z'"},
        {"--undo with a folder", {"--undo=r", "src"}, undoTakes},
        {"--undo with an option of a run", {"--undo=r", "--move"}, undoTakes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ParseResult result = Parse(c.args);
        EXPECT_FALSE(result.command);
        EXPECT_EQ(result.error, c.error);
    }
}

TEST(CommandLine, HelpAndVersionNeedNoOperands) {
    // Nor do the rules between the other options apply: --help is answered whatever else.
    ParseResult result = Parse({"-k", "archives", "-t", "auto", "--help"});
    ASSERT_TRUE(result.command) << result.error;
    EXPECT_TRUE(result.command->help);
    result = Parse({"-V", "src"});
    ASSERT_TRUE(result.command) << result.error;
    EXPECT_TRUE(result.command->version);
    // A fault while the options are read still comes first.
    EXPECT_FALSE(Parse({"--help", "--colour"}).command);
}

TEST(CommandLine, TheHelpNamesEveryOptionThatIsTaken) {
    const std::string help = UsageText();
    const struct {
        const char* shown;             // as the help writes it
        std::vector<std::string> use;  // a use of it that parses
    } options[] = {
        {"-k, --kind=images|archives|photos", {"--kind=photos"}},
        {"-e, --extensions=LIST", {"--extensions=x"}},
        {"-d, --duplicates=numbered|overwrite|separate", {"--duplicates=separate"}},
        {"    --same-content", {"--same-content"}},
        {"-t, --threshold=none|auto|N", {"--threshold=auto"}},
        {"-y, --yes", {"--yes"}},
        {"-n, --dry-run", {"--dry-run"}},
        {"    --move", {"--move"}},
        {"    --verify", {"--verify"}},
        {"-l, --list", {"--list"}},
        {"    --report=FILE", {"--report=f"}},
        {"-0, --null", {"--null"}},
        {"-q, --quiet", {"--quiet"}},
        {"-h, --help", {"--help"}},
        {"-V, --version", {"--version"}},
    };
    for (const auto& o : options) {
        SCOPED_TRACE(o.shown);
        // At the start of a line, and followed by its description or the line's end.
        const std::string line = std::string("\n  ") + o.shown;
        EXPECT_TRUE(help.find(line + " ") != std::string::npos ||
                    help.find(line + "\n") != std::string::npos);
        std::vector<std::string> args = o.use;
        args.insert(args.end(), {"src", "dst"});
        const ParseResult result = Parse(args);
        EXPECT_TRUE(result.command) << result.error;
    }
    EXPECT_THAT(help, HasSubstr("images: jpeg,jpg,gif,png,bmp"));
    EXPECT_THAT(help, HasSubstr("archives: lzh,lha,zip,cab,gz,tar,cpt"));
    EXPECT_THAT(help, HasSubstr("(default images)"));
    // The photos' list is too long for one line: it wraps after a comma, under its start.
    EXPECT_THAT(help, HasSubstr("photos: jpeg,jpg,gif,png,bmp,webp,heic,heif,\n"
                                "                                           avif,tif,tiff,jxl\n"));
}

}  // namespace
}  // namespace tessel::cli
