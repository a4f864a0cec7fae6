#include "cli/command_line.h"

#include <charconv>
#include <iterator>
#include <string_view>
#include <vector>

#include "job/run_request.h"

namespace tessel::cli {

std::string UsageText() {
    // The kinds and their lists come from the same table as the window's kind selector.
    std::string kinds;
    std::string lists;
    for (const ExtensionPreset& preset : ExtensionPresets) {
        if (!kinds.empty()) kinds += '|';
        kinds += preset.kindName;
        lists += "\n                                   ";
        lists += preset.kindName;
        lists += ": ";
        lists += preset.extensions;
    }
    return "Usage: tessel [OPTION]... SOURCE DESTINATION\n"
           "Copy every file of one kind found under SOURCE into the folder DESTINATION.\n"
           "\n"
           "  -k, --kind=" +
           kinds + std::string(kinds.size() < 22 ? 22 - kinds.size() : 1, ' ') +
           "preset list of extensions (default " + ExtensionPresets[0].kindName + ")" + lists +
           "\n"
           "  -e, --extensions=LIST            own comma-separated list, taken as typed\n"
           "  -d, --duplicates=numbered|overwrite|separate\n"
           "                                   a taken name gets a number (default), is\n"
           "                                   overwritten, or goes to a sub-folder\n"
           "  -t, --threshold=none|auto|N      images only: no lower bound on the size (default),\n"
           "                                   the automatic bound, or copy only images whose\n"
           "                                   sqrt(width x height) is greater than N\n"
           "  -y, --yes                        create a missing last level of DESTINATION\n"
           "                                   without asking\n"
           "  -n, --dry-run                    search, totals and bound only: copy nothing,\n"
           "                                   create nothing\n"
           "  -l, --list                       print each found file as SIDE<TAB>BYTES<TAB>PATH,\n"
           "                                   in scan order, before the final text; control\n"
           "                                   characters and backslashes in PATH are written\n"
           "                                   as C escapes (\\n, \\t, \\\\, \\xHH)\n"
           "  -0, --null                       --list with each record ended by NUL instead of\n"
           "                                   a line feed and PATH as it is (find -print0)\n"
           "  -q, --quiet                      no progress bar\n"
           "  -h, --help                       show this help and exit\n"
           "  -V, --version                    show the version and exit\n"
           "\n"
           "A file that DESTINATION holds already is not copied again: with numbered, one\n"
           "whose name is taken by a file of its size, or whose bytes stand under one of\n"
           "the numbers before the first free one; with separate, one whose bytes stand\n"
           "under its own name (inside the sub-folder the rule of numbered applies).\n"
           "A link to a file is taken only when what it leads to lies under SOURCE; a\n"
           "link to a folder is never entered.\n"
           "\n"
           "Exit status: 0 when the run finished, 1 for a usage error, 2 for an invalid folder,\n"
           "3 when memory ran out, 130 when interrupted (nothing partial is left behind).\n";
}

namespace {

struct OptionDef {
    char shortName;
    const char* longName;
    bool takesValue;
};

constexpr OptionDef Options[] = {
    {'k', "kind", true},      {'e', "extensions", true}, {'d', "duplicates", true},
    {'t', "threshold", true}, {'y', "yes", false},       {'n', "dry-run", false},
    {'l', "list", false},     {'0', "null", false},      {'q', "quiet", false},
    {'h', "help", false},     {'V', "version", false},
};

const OptionDef* FindShort(char c) {
    for (const OptionDef& o : Options) {
        if (o.shortName == c) return &o;
    }
    return nullptr;
}

// A long option may be abbreviated to any unambiguous prefix, as with getopt_long.
const OptionDef* FindLong(std::string_view name, std::string& error) {
    const OptionDef* found = nullptr;
    for (const OptionDef& o : Options) {
        const std::string_view full = o.longName;
        if (full == name) return &o;
        if (full.starts_with(name)) {
            if (found) {
                error = "option '--" + std::string(name) + "' is ambiguous";
                return nullptr;
            }
            found = &o;
        }
    }
    if (!found) error = "unrecognized option '--" + std::string(name) + "'";
    return found;
}

// "images or archives"
std::string KindNames() {
    std::string names;
    const std::size_t count = std::size(ExtensionPresets);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) names += i + 1 == count ? " or " : ", ";
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

struct Parser {
    CommandLine command;
    bool kindGiven = false;
    bool extensionsGiven = false;
    std::string error;

    bool Apply(const OptionDef& o, std::string_view value) {
        const std::string shown = std::string("--") + o.longName;
        switch (o.shortName) {
            case 'k':
                kindGiven = true;
                for (const ExtensionPreset& preset : ExtensionPresets) {
                    if (value == preset.kindName) {
                        command.extensions = preset.extensions;
                        command.imageKind = preset.imageKind;
                        return true;
                    }
                }
                return Fail("invalid argument '" + std::string(value) + "' for " + shown + " (" +
                            KindNames() + ")");
            case 'e':
                extensionsGiven = true;
                command.extensions = value;
                command.imageKind = false;
                return true;
            case 'd':
                if (value == "numbered") {
                    command.duplicates = DuplicateMode::Numbered;
                } else if (value == "overwrite") {
                    command.duplicates = DuplicateMode::Overwrite;
                } else if (value == "separate") {
                    command.duplicates = DuplicateMode::SeparateFolder;
                } else {
                    return Fail("invalid argument '" + std::string(value) + "' for " + shown +
                                " (numbered, overwrite or separate)");
                }
                return true;
            case 't':
                if (value == "none") {
                    command.thresholdMode = ThresholdMode::None;
                } else if (value == "auto") {
                    command.thresholdMode = ThresholdMode::Auto;
                } else if (const auto bound = ParseBound(value)) {
                    command.thresholdMode = ThresholdMode::Manual;
                    command.manualBound = *bound;
                } else {
                    return Fail("invalid argument '" + std::string(value) + "' for " + shown +
                                " (none, auto or a whole number from 0 to 2147483647)");
                }
                return true;
            case 'y': command.yes = true; return true;
            case 'n': command.dryRun = true; return true;
            case 'l': command.list = true; return true;
            case '0':
                command.list = true;
                command.nul = true;
                return true;
            case 'q': command.quiet = true; return true;
            case 'h': command.help = true; return true;
            case 'V': command.version = true; return true;
        }
        return Fail("unhandled option");
    }

    bool Fail(std::string message) {
        error = std::move(message);
        return false;
    }
};

}  // namespace

ParseResult ParseCommandLine(int argc, const char* const* argv) {
    Parser p;
    p.command.extensions = ExtensionPresets[0].extensions;
    std::vector<std::string_view> operands;
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto nextValue = [&](std::string_view shown) -> std::optional<std::string_view> {
            if (i + 1 >= argc) {
                p.Fail("option '" + std::string(shown) + "' requires an argument");
                return std::nullopt;
            }
            return std::string_view(argv[++i]);
        };
        if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
            operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnd = true;
        } else if (arg.starts_with("--")) {
            const std::string_view body = arg.substr(2);
            const std::size_t equals = body.find('=');
            const OptionDef* o = FindLong(body.substr(0, equals), p.error);
            if (!o) return {std::nullopt, p.error};
            std::optional<std::string_view> value;
            if (equals != std::string_view::npos) {
                if (!o->takesValue) {
                    return {std::nullopt, "option '--" + std::string(o->longName) +
                                              "' doesn't allow an argument"};
                }
                value = body.substr(equals + 1);
            } else if (o->takesValue) {
                value = nextValue(std::string("--") + o->longName);
                if (!value) return {std::nullopt, p.error};
            }
            if (!p.Apply(*o, value.value_or(""))) return {std::nullopt, p.error};
        } else {
            // Short options, bundled (-yq) or with an attached value (-kimages).
            for (std::size_t j = 1; j < arg.size(); ++j) {
                const OptionDef* o = FindShort(arg[j]);
                if (!o) return {std::nullopt, "invalid option -- '" + std::string(1, arg[j]) + "'"};
                if (!o->takesValue) {
                    if (!p.Apply(*o, "")) return {std::nullopt, p.error};
                    continue;
                }
                std::optional<std::string_view> value = arg.substr(j + 1);
                if (value->empty()) value = nextValue(std::string("-") + o->shortName);
                if (!value || !p.Apply(*o, *value)) return {std::nullopt, p.error};
                break;
            }
        }
    }
    if (p.command.help || p.command.version) return {p.command, {}};

    if (p.kindGiven && p.extensionsGiven) {
        return {std::nullopt, "--kind and --extensions exclude each other"};
    }
    // The window offers a lower bound for images only; for any other kind it forces "no
    // bound". A bound asked for here would be dropped silently, so it is refused instead.
    if (!p.command.imageKind && p.command.thresholdMode != ThresholdMode::None) {
        return {std::nullopt, "--threshold applies to --kind=images only"};
    }
    if (operands.size() != 2) {
        return {std::nullopt,
                operands.size() < 2 ? "missing SOURCE or DESTINATION" : "too many arguments"};
    }
    p.command.source = operands[0];
    p.command.destination = operands[1];
    return {p.command, {}};
}

}  // namespace tessel::cli
