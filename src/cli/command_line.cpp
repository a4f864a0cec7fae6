// cli/command_line.cpp: the option table and the walk over the arguments. Each option's row
// names the function that applies it; the walk knows only how options are written, the rows
// only what they mean. The rules between options (kind or extensions, a bound for images
// only) and the operand count are checked once all are read, so the order of the options
// never matters.
#include "cli/command_line.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string_view>
#include <vector>

#include "cli/texts.h"
#include "files/disk_kind.h"
#include "job/run_request.h"

namespace tessel::cli {

std::string UsageText() {
    // The kinds and their lists come from the same table as the window's kind selector. The
    // descriptions start in column 35; a list wraps after a comma before column 80.
    constexpr std::size_t Column = 35;
    constexpr std::size_t Width = 79;
    const std::string indent(Column, ' ');
    std::string kinds;
    std::string lists;
    for (const ExtensionPreset& preset : ExtensionPresets) {
        if (!kinds.empty()) kinds += '|';
        kinds += preset.kindName;
        std::string line = indent + preset.kindName + ": ";
        const std::size_t hanging = line.size();
        for (std::string_view rest = preset.extensions; !rest.empty();) {
            const std::size_t comma = rest.find(',');
            const std::string_view entry =
                rest.substr(0, comma == std::string_view::npos ? rest.size() : comma + 1);
            if (line.size() + entry.size() > Width && line.size() > hanging) {
                lists += "\n" + line;
                line = std::string(hanging, ' ');
            }
            line += entry;
            rest.remove_prefix(entry.size());
        }
        lists += "\n" + line;
    }
    std::string option = "  -k, --kind=" + kinds;
    option += option.size() < Column ? std::string(Column - option.size(), ' ') : "\n" + indent;
    return text::UsageHead + option +
           text::Fill(text::KindOptionHelp, {ExtensionPresets[0].kindName}) + lists + "\n" +
           text::UsageRest;
}

namespace {

// What the options have set so far, and the first fault.
struct ParseState {
    CommandLine command;
    bool kindGiven = false;
    bool extensionsGiven = false;
    std::string_view kind = ExtensionPresets[0].kindName;
    std::string_view option;  // the long name of the option being applied, for its fault
    std::vector<std::string_view> given;  // the long names of the options applied, in order
    std::string error;

    bool Fail(std::string message) {
        error = std::move(message);
        return false;
    }
    // "invalid argument 'big' for --threshold (none, auto or ...)"
    bool Invalid(std::string_view value, std::string_view taken) {
        return Fail(text::Fill(text::InvalidArgument, {value, option, taken}));
    }
};

// What one option does with its value ("" for an option without one). False, with the fault
// in `state.error`, for a value the option does not take.
using ApplyOption = bool (*)(ParseState& state, std::string_view value);

struct OptionDef {
    char shortName;  // NoShortName: a long option only
    const char* longName;
    bool takesValue;
    ApplyOption apply;
};

constexpr char NoShortName = '\0';  // no argument holds it: C strings end there

// "images or archives"
std::string KindNames() {
    std::string names;
    const std::size_t count = std::size(ExtensionPresets);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) names += i + 1 == count ? text::ListLastSeparator : text::ListSeparator;
        names += ExtensionPresets[i].kindName;
    }
    return names;
}

std::optional<std::int32_t> ParseBound(std::string_view text) {
    std::int32_t value = 0;
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool ApplyKind(ParseState& s, std::string_view value) {
    s.kindGiven = true;
    for (const ExtensionPreset& preset : ExtensionPresets) {
        if (value == preset.kindName) {
            s.kind = preset.kindName;
            s.command.extensions = preset.extensions;
            s.command.boundAllowed = preset.imageKind;
            return true;
        }
    }
    return s.Invalid(value, KindNames());
}

bool ApplyExtensions(ParseState& s, std::string_view value) {
    s.extensionsGiven = true;
    s.command.extensions = value;
    return true;
}

bool ApplyDuplicates(ParseState& s, std::string_view value) {
    if (value == "numbered") {
        s.command.duplicates = DuplicateMode::Numbered;
    } else if (value == "overwrite") {
        s.command.duplicates = DuplicateMode::Overwrite;
    } else if (value == "separate") {
        s.command.duplicates = DuplicateMode::SeparateFolder;
    } else {
        return s.Invalid(value, text::DuplicatesTaken);
    }
    return true;
}

bool ApplyThreshold(ParseState& s, std::string_view value) {
    if (value == "none") {
        s.command.thresholdMode = ThresholdMode::None;
    } else if (value == "auto") {
        s.command.thresholdMode = ThresholdMode::Auto;
    } else if (const auto bound = ParseBound(value)) {
        s.command.thresholdMode = ThresholdMode::Manual;
        s.command.manualBound = *bound;
    } else {
        return s.Invalid(value, text::ThresholdTaken);
    }
    return true;
}

// Any name a file may have; "-" is standard output. An empty one names no file, and it is
// better refused here than after the run has begun.
bool ApplyReport(ParseState& s, std::string_view value) {
    if (value.empty()) return s.Invalid(value, text::ReportTaken);
    s.command.report = std::string(value);
    return true;
}

bool ApplyJobs(ParseState& s, std::string_view value) {
    const std::optional<std::int32_t> jobs = ParseBound(value);
    if (!jobs || *jobs < 1 || static_cast<std::size_t>(*jobs) > MostCalls) {
        return s.Invalid(value, text::JobsTaken);
    }
    s.command.jobs = static_cast<std::size_t>(*jobs);
    return true;
}

bool ApplyUndo(ParseState& s, std::string_view value) {
    if (value.empty()) return s.Invalid(value, text::ReportTaken);
    s.command.undo = std::string(value);
    return true;
}

template <bool CommandLine::*Flag>
bool Set(ParseState& s, std::string_view) {
    s.command.*Flag = true;
    return true;
}

constexpr OptionDef Options[] = {
    {'k', "kind", true, ApplyKind},
    {'e', "extensions", true, ApplyExtensions},
    {'d', "duplicates", true, ApplyDuplicates},
    {NoShortName, "same-content", false, Set<&CommandLine::sameContent>},
    {'t', "threshold", true, ApplyThreshold},
    {'y', "yes", false, Set<&CommandLine::yes>},
    {'n', "dry-run", false, Set<&CommandLine::dryRun>},
    {NoShortName, "move", false, Set<&CommandLine::move>},
    {NoShortName, "verify", false, Set<&CommandLine::verify>},
    {'j', "jobs", true, ApplyJobs},
    {'l', "list", false, Set<&CommandLine::list>},
    {NoShortName, "report", true, ApplyReport},
    {NoShortName, "undo", true, ApplyUndo},
    // Whether it implies --list depends on --report, given before or after: see Finish.
    {'0', "null", false, Set<&CommandLine::nul>},
    {'q', "quiet", false, Set<&CommandLine::quiet>},
    {'h', "help", false, Set<&CommandLine::help>},
    {'V', "version", false, Set<&CommandLine::version>},
};

const OptionDef* FindShort(char c) {
    for (const OptionDef& o : Options) {
        if (o.shortName != NoShortName && o.shortName == c) return &o;
    }
    return nullptr;
}

// A long option may be abbreviated to any unambiguous prefix, as with getopt_long; the full
// name wins over the longer names it begins.
const OptionDef* FindLong(std::string_view name, ParseState& s) {
    const OptionDef* found = nullptr;
    bool ambiguous = false;
    for (const OptionDef& o : Options) {
        const std::string_view full = o.longName;
        if (full == name) return &o;
        if (full.starts_with(name)) {
            ambiguous = found != nullptr;
            found = &o;
        }
    }
    if (ambiguous || !found) {
        s.Fail(text::Fill(ambiguous ? text::AmbiguousOption : text::UnrecognizedOption, {name}));
        return nullptr;
    }
    return found;
}

// The arguments after the program's name, taken one by one; an option's value may take the
// next.
class ArgumentCursor {
public:
    ArgumentCursor(int argc, const char* const* argv) : next_(1), argc_(argc), argv_(argv) {}
    std::optional<std::string_view> Next() {
        if (next_ >= argc_) return std::nullopt;
        return std::string_view(argv_[next_++]);
    }

private:
    int next_;
    int argc_;
    const char* const* argv_;
};

bool Apply(ParseState& s, const OptionDef& o, std::string_view value) {
    s.option = o.longName;
    s.given.push_back(o.longName);
    return o.apply(s, value);
}

// "--name", "--name=value", "--name value" (`body` is what follows "--").
bool TakeLong(ParseState& s, std::string_view body, ArgumentCursor& rest) {
    const std::size_t equals = body.find('=');
    const OptionDef* o = FindLong(body.substr(0, equals), s);
    if (!o) return false;
    const std::string shown = std::string("--") + o->longName;
    if (equals != std::string_view::npos) {
        if (!o->takesValue) return s.Fail(text::Fill(text::UnwantedArgument, {o->longName}));
        return Apply(s, *o, body.substr(equals + 1));
    }
    if (!o->takesValue) return Apply(s, *o, {});
    const std::optional<std::string_view> value = rest.Next();
    if (!value) return s.Fail(text::Fill(text::MissingArgument, {shown}));
    return Apply(s, *o, *value);
}

// "-yq", "-kimages", "-k images" (`bundle` is what follows "-"). An option that takes a
// value takes the rest of the bundle, or the next argument when nothing follows it.
bool TakeShorts(ParseState& s, std::string_view bundle, ArgumentCursor& rest) {
    for (std::size_t j = 0; j < bundle.size(); ++j) {
        const OptionDef* o = FindShort(bundle[j]);
        if (!o) return s.Fail(text::Fill(text::InvalidShortOption, {bundle.substr(j, 1)}));
        if (!o->takesValue) {
            if (!Apply(s, *o, {})) return false;
            continue;
        }
        std::optional<std::string_view> value = bundle.substr(j + 1);
        if (value->empty()) value = rest.Next();
        if (!value) {
            return s.Fail(text::Fill(text::MissingArgument, {std::string("-") + bundle[j]}));
        }
        return Apply(s, *o, *value);
    }
    return true;
}

// Options anywhere, operands kept in their order; "-" alone is an operand.
bool TakeArguments(ParseState& s, ArgumentCursor& arguments,
                   std::vector<std::string_view>& operands) {
    bool optionsEnd = false;
    while (const std::optional<std::string_view> next = arguments.Next()) {
        const std::string_view arg = *next;
        if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnd = true;
        } else if (arg.starts_with("--")) {
            if (!TakeLong(s, arg.substr(2), arguments)) return false;
        } else {
            if (!TakeShorts(s, arg.substr(1), arguments)) return false;
        }
    }
    return true;
}

// The rules between the options and the two folders, once every option is read.
bool Finish(ParseState& s, const std::vector<std::string_view>& operands) {
    // -0 alone asks for the records of --list; with --report it shapes the report's records
    // and leaves the listing to -l.
    if (s.command.nul && !s.command.report && !s.command.undo) s.command.list = true;
    if (s.command.help || s.command.version) return true;
    if (s.command.undo) {
        constexpr std::string_view undoTakes[] = {"undo", "dry-run", "report", "null", "quiet"};
        const bool others = std::any_of(s.given.begin(), s.given.end(), [&](std::string_view o) {
            return std::find(std::begin(undoTakes), std::end(undoTakes), o) == std::end(undoTakes);
        });
        if (others || !operands.empty()) return s.Fail(text::UndoOnlyWith);
        return true;
    }

    if (s.kindGiven && s.extensionsGiven) return s.Fail(text::KindWithExtensions);
    // The window forces "no bound" for archives. A bound asked for here would be dropped
    // silently, so it is refused instead.
    if (!s.command.boundAllowed && s.command.thresholdMode != ThresholdMode::None) {
        return s.Fail(text::Fill(text::ThresholdNotForKind, {s.kind}));
    }
    if (operands.size() != 2) {
        return s.Fail(operands.size() < 2 ? text::MissingOperand : text::ExtraOperand);
    }
    s.command.source = operands[0];
    s.command.destination = operands[1];
    return true;
}

}  // namespace

ParseResult ParseCommandLine(int argc, const char* const* argv) {
    ParseState state;
    state.command.extensions = ExtensionPresets[0].extensions;
    ArgumentCursor arguments(argc, argv);
    std::vector<std::string_view> operands;
    if (!TakeArguments(state, arguments, operands) || !Finish(state, operands)) {
        return {std::nullopt, std::move(state.error)};
    }
    return {std::move(state.command), {}};
}

}  // namespace tessel::cli
