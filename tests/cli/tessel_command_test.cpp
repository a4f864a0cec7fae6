// The tessel command through its process: arguments, exit codes, what it prints, the
// destination rules with and without a terminal, and Ctrl-C in the middle of a copy.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "files/texts.h"
#include "support/hold_fs_posix.h"
#include "support/poll.h"
#include "support/test_support.h"
#include "support/tiny_png.h"

namespace tessel {
namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

enum class Input { Null, Terminal };

// The 32-bit build's tessel: no binfmt_misc here, so it starts only through its emulator.
#ifdef TESSEL_EMULATOR
constexpr const char* Emulator = TESSEL_EMULATOR;
#else
constexpr const char* Emulator = nullptr;
#endif

// A pseudo-terminal's controlling side, and the name of the side a child opens.
int OpenTerminal(std::string& name) {
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    EXPECT_GE(terminal, 0);
    EXPECT_EQ(::grantpt(terminal), 0);
    EXPECT_EQ(::unlockpt(terminal), 0);
    name = ::ptsname(terminal);
    return terminal;
}

// What else a child gets: a file-size limit in bytes (RLIMIT_FSIZE, 0 for none), and a
// pseudo-terminal for its standard error, where the progress line is drawn.
struct ChildExtras {
    std::uint64_t fileSize = 0;
    bool errorTerminal = false;
};

// A running tessel, its output read through pipes. With Input::Terminal its standard input
// is a pseudo-terminal, fed with `typed`.
class Child {
public:
    // `addressSpace`: a limit on the child's address space in bytes (RLIMIT_AS), 0 for none.
    Child(const std::vector<std::string>& args, Input input = Input::Null,
          const std::string& typed = {}, const std::string& cwd = {},
          std::uint64_t addressSpace = 0, const ChildExtras& extras = {}) {
        int out[2], err[2];
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        std::string errorName;
        if (extras.errorTerminal) {
            err[0] = OpenTerminal(errorName);
            err[1] = -1;
        } else {
            EXPECT_EQ(::pipe2(err, O_CLOEXEC), 0);
        }
        int terminal = -1;
        std::string terminalName;
        if (input == Input::Terminal) terminal = OpenTerminal(terminalName);
        std::vector<char*> argv;
        if (Emulator != nullptr) argv.push_back(const_cast<char*>(Emulator));
        argv.push_back(const_cast<char*>(TESSEL_BINARY));
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);

        pid_ = ::fork();
        if (pid_ == 0) {
            const int in = input == Input::Terminal ? ::open(terminalName.c_str(), O_RDWR)
                                                    : ::open("/dev/null", O_RDONLY);
            ::dup2(in, STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(extras.errorTerminal ? ::open(errorName.c_str(), O_RDWR) : err[1],
                   STDERR_FILENO);
            if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(126);
            if (extras.fileSize != 0) {
                const rlimit limit{static_cast<rlim_t>(extras.fileSize),
                                   static_cast<rlim_t>(extras.fileSize)};
                if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
            }
            if (addressSpace != 0) {
                // rlim_t is unsigned long, 32 bits in an i686 build without the large-file
                // interface; every limit asked for here is far below 4 GiB.
                const rlimit limit{static_cast<rlim_t>(addressSpace),
                                   static_cast<rlim_t>(addressSpace)};
                if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(126);
            }
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        if (err[1] >= 0) ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
        terminal_ = terminal;
        if (terminal_ >= 0 && !typed.empty()) {
            EXPECT_EQ(::write(terminal_, typed.data(), typed.size()),
                      static_cast<ssize_t>(typed.size()));
        }
    }
    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            Wait();
        }
    }

    void Signal(int signal) { ::kill(pid_, signal); }

    // Whether the child has ended; Wait still collects its output and exit code.
    bool Ended() const {
        siginfo_t info{};
        return ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == pid_;
    }

    // Whether the child has a file open whose path starts with `folder` + "/" (a file
    // without a name shows there as "folder/#123 (deleted)").
    bool HasOpenFileUnder(const std::string& folder) const {
        std::error_code ec;
        const std::string fds = "/proc/" + std::to_string(pid_) + "/fd";
        for (const auto& fd : std::filesystem::directory_iterator(fds, ec)) {
            const auto target = std::filesystem::read_symlink(fd.path(), ec);
            if (!ec && target.string().starts_with(folder + "/")) return true;
        }
        return false;
    }

    // Reads the child's standard error as it comes, until it holds `text` `times` times or
    // `limit` has passed; whether it did. Wait's `err` still has all of it.
    bool ErrorSays(const std::string& text, int times = 1,
                   std::chrono::milliseconds limit = std::chrono::seconds(30)) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (static_cast<int>(test::Occurrences(errSoFar_, text)) < times) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd f{err_, POLLIN, 0};
            if (::poll(&f, 1, static_cast<int>(left.count())) <= 0) continue;
            char buffer[4096];
            const ssize_t n = ::read(err_, buffer, sizeof buffer);
            if (n <= 0) return false;
            errSoFar_.append(buffer, static_cast<std::size_t>(n));
        }
        return true;
    }

    Outcome Wait() {
        Outcome o;
        o.err = std::exchange(errSoFar_, {});
        pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        int open = 2;
        while (open > 0) {
            if (::poll(fds, 2, -1) < 0) break;
            for (pollfd& f : fds) {
                if (f.fd < 0 || !(f.revents & (POLLIN | POLLHUP | POLLERR))) continue;
                char buffer[4096];
                const ssize_t n = ::read(f.fd, buffer, sizeof buffer);
                if (n <= 0) {
                    ::close(f.fd);
                    f.fd = -1;
                    --open;
                    continue;
                }
                (&f == &fds[0] ? o.out : o.err).append(buffer, static_cast<std::size_t>(n));
            }
        }
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        if (terminal_ >= 0) ::close(terminal_);
        o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return o;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    int terminal_ = -1;
    std::string errSoFar_;
};

Outcome Tessel(const std::vector<std::string>& args) {
    return Child(args).Wait();
}

// A small source tree: two images of known size, one unreadable "image", one other file.
void MakeSource(const TempFolder& temp) {
    test::WriteBytes(temp / "src/a.png", TinyPng(20, 30));            // side 24
    test::WriteBytes(temp / "src/sub/b.png", TinyPng(300, 300));      // side 300
    test::WriteText(temp / "src/sub/c.jpg", "not really a picture");  // side 1
    test::WriteText(temp / "src/notes.txt", "skipped");
}

constexpr char FoundThree[] =
    "抽出ファイルが3個見つかりました。\n合計ファイルサイズ：0KByte\n重複ファイル：0個\n";

TEST(TesselUsage, BadArgumentsExitWith1) {
    TempFolder temp;
    MakeSource(temp);
    const std::string src = temp / "src", dst = temp / "dst";
    const struct {
        const char* what;
        std::vector<std::string> args;
    } cases[] = {
        {"nothing", {}},
        {"one folder", {src}},
        {"three folders", {src, dst, dst}},
        {"unknown option", {"--colour", src, dst}},
        {"unknown short option", {"-z", src, dst}},
        {"bad kind", {"--kind=music", src, dst}},
        {"bad duplicates", {"-d", "rename", src, dst}},
        {"bad threshold", {"-t", "big", src, dst}},
        {"negative threshold", {"--threshold=-5", src, dst}},
        {"threshold past 32 bits", {"--threshold=4294967296", src, dst}},
        {"missing value", {src, dst, "--extensions"}},
        {"flag with a value", {"--yes=1", src, dst}},
        {"kind and extensions", {"-k", "images", "-e", "jpg", src, dst}},
        // The window forces "no bound" for archives.
        {"bound for archives", {"-k", "archives", "-t", "auto", src, dst}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome o = Tessel(c.args);
        EXPECT_EQ(o.exitCode, 1);
        EXPECT_THAT(o.err, StartsWith("tessel: "));
        EXPECT_THAT(o.err, HasSubstr("--help"));
        EXPECT_THAT(o.out, IsEmpty());
    }
    EXPECT_THAT(test::NamesIn(temp.Path()), ElementsAre("src/"));  // nothing created
}

TEST(TesselUsage, HelpAndVersion) {
    Outcome o = Tessel({"--help"});
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_THAT(o.out, StartsWith("Usage: tessel [OPTION]... SOURCE DESTINATION\n"));
    EXPECT_THAT(o.out, HasSubstr("--dry-run"));
    o = Tessel({"-V"});
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_EQ(o.out, "tessel 2.32\n");
}

TEST(TesselFolders, InvalidFoldersExitWith2) {
    TempFolder temp;
    MakeSource(temp);
    test::WriteText(temp / "file", "x");
    const std::string src = temp / "src";
    const std::string source = "tessel: 抽出元フォルダの指定が不正です。\n";
    const std::string destination = "tessel: コピー先フォルダの指定が不正です。\n";
    const struct {
        const char* what;
        std::string source, destination, message;
    } cases[] = {
        {"missing source", temp / "none", temp / "dst", source},
        {"source is a file", temp / "file", temp / "dst", source},
        {"source first, when both are bad", temp / "none", temp / "x/y/z", source},
        {"destination two levels missing", src, temp / "x/y", destination},
        {"destination is a file", src, temp / "file", destination},
        // No terminal to ask and no --yes: no is the answer.
        {"missing last level, nobody asked", src, temp / "new", destination},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome o = Tessel({c.source, c.destination});
        EXPECT_EQ(o.exitCode, 2);
        EXPECT_EQ(o.err, c.message);
        EXPECT_THAT(o.out, IsEmpty());
    }
    // "--yes" creates one last level only, never a chain.
    EXPECT_EQ(Tessel({"-y", src, temp / "x/y"}).exitCode, 2);
    EXPECT_THAT(test::NamesIn(temp.Path()), ElementsAre("file", "src/"));
}

TEST(TesselFolders, MissingLastLevelIsCreatedOnYes) {
    TempFolder temp;
    MakeSource(temp);
    const struct {
        const char* what;
        std::vector<std::string> args;
        Input input;
        const char* typed;
        int exitCode;
        bool created;
    } cases[] = {
        {"--yes", {"-y"}, Input::Null, "", 0, true},
        {"answered y", {}, Input::Terminal, "y\n", 0, true},
        {"answered n", {}, Input::Terminal, "n\n", 2, false},
        {"answered nothing", {}, Input::Terminal, "\n", 2, false},
        // A dry run creates nothing and so needs no answer.
        {"dry run", {"--dry-run"}, Input::Null, "", 0, false},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dst = temp / ("new" + std::to_string(n++));
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-q", temp / "src", dst});
        const Outcome o = Child(args, c.input, c.typed).Wait();
        EXPECT_EQ(o.exitCode, c.exitCode) << o.err;
        EXPECT_EQ(std::filesystem::is_directory(dst), c.created);
        if (c.input == Input::Terminal) {
            EXPECT_THAT(o.err, HasSubstr("コピー先フォルダは存在しません。作成しますか？ [y/N]"));
        }
        if (c.created) {
            EXPECT_EQ(test::NamesIn(dst).size(), 3u);
        }
    }
}

TEST(TesselFolders, TrailingSlashesAndBareNamesAreFolders) {
    TempFolder temp;
    MakeSource(temp);
    test::MakeFolders(temp / "dst");
    Outcome o = Tessel({temp / "src/", temp / "dst/"});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(test::NamesIn(temp / "dst").size(), 3u);
    // A bare name is a folder in the current one, and can be created there.
    o = Child({"-y", "src//", "fresh"}, Input::Null, "", temp.Path()).Wait();
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(test::NamesIn(temp / "fresh").size(), 3u);
}

TEST(TesselRun, PrintsTheFinalTextWithLineFeeds) {
    TempFolder temp;
    MakeSource(temp);
    test::MakeFolders(temp / "dst");
    const Outcome o = Tessel({temp / "src", temp / "dst"});
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_EQ(o.out, std::string(FoundThree) +
                         "ファイル縦横サイズ閾値設定：なし\n"
                         "実際に保存されたファイル数：3個（※同名かつ同サイズのファイルは上書きしま"
                         "せん）\n\n抽出を終了しました。\n");
    EXPECT_THAT(o.err, IsEmpty());  // no bar without a terminal
    EXPECT_THAT(test::NamesIn(temp / "dst"), ElementsAre("a.png", "b.png", "c.jpg"));
}

TEST(TesselRun, DryRunPrintsTheSummaryAloneAndCopiesNothing) {
    TempFolder temp;
    MakeSource(temp);
    test::MakeFolders(temp / "dst");
    const Outcome o = Tessel({"-n", "-t", "auto", temp / "src", temp / "dst"});
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_THAT(o.out, StartsWith(FoundThree));
    EXPECT_EQ(std::count(o.out.begin(), o.out.end(), '\n'), 4);
    EXPECT_THAT(test::NamesIn(temp / "dst"), IsEmpty());
}

TEST(TesselRun, ListShowsEveryFoundFileBeforeTheFinalText) {
    TempFolder temp;
    MakeSource(temp);
    const Outcome o = Tessel({"--list", "--dry-run", temp / "src", temp / "dst"});
    EXPECT_EQ(o.exitCode, 0);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < o.out.size();) {
        const std::size_t end = o.out.find('\n', start);
        lines.push_back(o.out.substr(start, end - start));
        start = end + 1;
    }
    ASSERT_EQ(lines.size(), 3u + 4u);
    const std::string png = std::to_string(TinyPng(1, 1).size());
    std::vector<std::string> listed(lines.begin(), lines.begin() + 3);
    std::sort(listed.begin(), listed.end());
    EXPECT_THAT(listed, ElementsAre("1\t20\t" + temp / "src/sub/c.jpg",
                                    "24\t" + png + "\t" + temp / "src/a.png",
                                    "300\t" + png + "\t" + temp / "src/sub/b.png"));
    EXPECT_EQ(lines[3], "抽出ファイルが3個見つかりました。");
    // Depth first: b.png and c.jpg, both in sub, are neighbours whatever the order.
    const auto in_sub = [&](int i) { return lines[i].find("/sub/") != std::string::npos; };
    EXPECT_TRUE((in_sub(0) && in_sub(1)) || (in_sub(1) && in_sub(2)));
}

TEST(TesselRun, ListRecordsStayParseableWhateverTheNames) {
    // Every awkward byte in a name: escaped in line records, raw in NUL records.
    TempFolder temp;
    const struct {
        std::string name, escaped;
    } names[] = {
        {"line\nfeed.jpg", "line\\nfeed.jpg"},
        {"car\rriage.jpg", "car\\rriage.jpg"},
        {"tab\tbed.jpg", "tab\\tbed.jpg"},
        {"back\\slash.jpg", "back\\\\slash.jpg"},
        {"bell\x01\x7f.jpg", "bell\\x01\\x7f.jpg"},
        {"日本\xe9.jpg", "日本\xe9.jpg"},  // UTF-8 or not, printable bytes stay
    };
    for (const auto& n : names) test::WriteText(temp / ("src/" + n.name), "x");
    std::set<std::string> escaped, raw;
    for (const auto& n : names) {
        escaped.insert("1\t1\t" + temp / "src/" + n.escaped);
        raw.insert("1\t1\t" + temp / ("src/" + n.name));
    }

    const Outcome lines = Tessel({"-l", "-n", temp / "src", temp / "dst"});
    EXPECT_EQ(lines.exitCode, 0);
    std::set<std::string> got;
    std::size_t start = 0;
    for (int i = 0; i < 6; ++i) {
        const std::size_t end = lines.out.find('\n', start);
        got.insert(lines.out.substr(start, end - start));
        start = end + 1;
    }
    EXPECT_EQ(got, escaped);
    EXPECT_EQ(lines.out.substr(start).rfind("抽出ファイルが6個見つかりました。", 0), 0u);

    const Outcome records = Tessel({"-0", "-n", temp / "src", temp / "dst"});
    EXPECT_EQ(records.exitCode, 0);
    got.clear();
    start = 0;
    for (int i = 0; i < 6; ++i) {
        const std::size_t end = records.out.find('\0', start);
        ASSERT_NE(end, std::string::npos);
        got.insert(records.out.substr(start, end - start));
        start = end + 1;
    }
    EXPECT_EQ(got, raw);
    EXPECT_EQ(records.out.substr(start).rfind("抽出ファイルが6個見つかりました。", 0), 0u);
}

TEST(TesselRun, KindsAndOwnListsPickTheirFiles) {
    TempFolder temp;
    for (const char* name :
         {"a.zip", "b.tar.gz", "c.png", "d.jpg", "e.lzh", "f.txt", "g.heic", "h.JXL", "i.tiff"}) {
        test::WriteText(temp / (std::string("src/") + name), name);
    }
    const struct {
        std::vector<std::string> options;
        std::vector<std::string> copied;
    } cases[] = {
        {{}, {"c.png", "d.jpg"}},
        {{"-k", "archives"}, {"a.zip", "b.tar.gz", "e.lzh"}},
        {{"-k", "photos"}, {"c.png", "d.jpg", "g.heic", "h.JXL", "i.tiff"}},
        {{"--extensions=txt,ZIP"}, {"a.zip", "f.txt"}},
        // Taken as typed: the blank belongs to the entry " jpg", which matches nothing.
        {{"-e", "png, jpg"}, {"c.png"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.options));
        TempFolder destination;
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {temp / "src", destination.Path()});
        EXPECT_EQ(Tessel(args).exitCode, 0);
        EXPECT_EQ(test::NamesIn(destination.Path()), c.copied);
    }
}

TEST(TesselRun, DuplicateModes) {
    TempFolder temp;
    test::WriteText(temp / "src/a/x.jpg", "one");
    test::WriteText(temp / "src/b/x.jpg", "other");
    const struct {
        const char* mode;
        std::vector<std::string> names;
    } cases[] = {
        {"numbered", {"x(1).jpg", "x.jpg"}},
        {"overwrite", {"x.jpg"}},
        {"separate", {"x.jpg", "重複ファイルはこちら/"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        TempFolder destination;
        const Outcome o = Tessel({"-d", c.mode, temp / "src", destination.Path()});
        EXPECT_EQ(o.exitCode, 0);
        EXPECT_THAT(o.out, HasSubstr("重複ファイル：1個"));
        EXPECT_EQ(test::NamesIn(destination.Path()), c.names);
    }
}

TEST(TesselRun, ManualBoundIsAnsweredWithN) {
    TempFolder temp;
    for (const std::uint32_t side : {100u, 250u, 251u, 400u}) {
        test::WriteBytes(temp / ("src/p" + std::to_string(side) + ".png"), TinyPng(side, side));
    }
    test::MakeFolders(temp / "dst");
    const Outcome o = Tessel({"--threshold=250", temp / "src", temp / "dst"});
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_THAT(o.out, HasSubstr("抽出するファイル縦横サイズの下限：手動設定[ 250x250 Pixel ]\n"
                                 "実際に保存されたファイル数：2個"));
    EXPECT_THAT(test::NamesIn(temp / "dst"), ElementsAre("p251.png", "p400.png"));
}

// Defined with the report's tests below.
std::vector<std::vector<std::string>> Records(const std::string& text, char end = '\n');
const std::vector<std::string>* RecordOf(const std::vector<std::vector<std::string>>& records,
                                         const std::string& name);
std::string ReadAll(const std::string& path);

TEST(TesselRun, TodaysPicturesAreMeasuredAndABoundSaysWhatItLeftOutUnmeasured) {
    TempFolder temp;
    const auto picture = [&](const char* data, const std::string& name) {
        test::WriteBytes(temp / ("src/" + name), test::ReadBytes(test::DataPath(data)));
    };
    picture("images/heic_camera_grid.heic", "phone.heic");      // 3024x4032: 3491
    picture("images/avif_irot90.avif", "turned.avif");          // 200x300: 244
    picture("images/jxl_orientation6.jxl", "new.jxl");          // 200x300: 244
    picture("images/tiff_bigtiff_mm.tif", "scan.tif");          // 301x199: 244
    picture("images/webp_animated.webp", "sticker.webp");       // 64x48: 55
    picture("images/one_by_one.gif", "pixel.gif");              // 1x1: a size, and it is 1
    picture("images/heic_plain.heic", "named-wrong.jpg");       // the bytes decide: 244
    test::WriteText(temp / "src/notes.heic", "not a picture");  // no size: counts 1
    test::WriteText(temp / "src/broken.webp", "RIFF");          // cut: counts 1
    const struct {
        const char* what;
        std::vector<std::string> options;
        std::vector<std::string> copied;
        const char* note;  // on standard error after the final text; "" for none
    } cases[] = {
        {"photos above 100",
         {"-k", "photos", "-t", "100"},
         {"named-wrong.jpg", "new.jxl", "phone.heic", "scan.tif", "turned.avif"},
         "tessel: 2 files left out by the bound: size unknown\n"},
        {"own list with a bound",
         {"-e", "heic,gif", "-t", "0"},
         {"notes.heic", "phone.heic", "pixel.gif"},
         ""},  // side 1 is above 0: nothing is left out
        {"own list, one unknown",
         {"-e", "heic,gif", "-t", "1"},
         {"phone.heic"},
         "tessel: 1 file left out by the bound: size unknown\n"},
        {"photos without a bound",
         {"-k", "photos"},
         {"broken.webp", "named-wrong.jpg", "new.jxl", "notes.heic", "phone.heic", "pixel.gif",
          "scan.tif", "sticker.webp", "turned.avif"},
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder destination;
        const std::string report = temp / "report.tsv";
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {"--report=" + report, temp / "src", destination.Path()});
        const Outcome o = Tessel(args);
        EXPECT_EQ(o.exitCode, 0) << o.err;
        EXPECT_EQ(test::NamesIn(destination.Path()), c.copied);
        EXPECT_EQ(o.err, c.note);
        const auto records = Records(ReadAll(report));
        for (const char* name : {"notes.heic", "broken.webp", "pixel.gif", "sticker.webp"}) {
            const auto* r = RecordOf(records, name);
            if (r == nullptr || (*r)[0] != "below-bound") continue;
            const bool unknown =
                std::string_view(name) != "pixel.gif" && std::string_view(name) != "sticker.webp";
            EXPECT_EQ((*r)[5], unknown ? "size unknown" : "") << name;
        }
    }

    // The dry run tells the same; --list shows each size as measured.
    const Outcome dry =
        Tessel({"-n", "-l", "-k", "photos", "-t", "100", temp / "src", temp / "none"});
    EXPECT_EQ(dry.err, "tessel: 2 files left out by the bound: size unknown\n");
    for (const char* line : {"3491\t", "244\t", "55\t", "1\t4\t"}) {
        EXPECT_THAT(dry.out, HasSubstr(line));
    }
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif

TEST(TesselOutOfMemory, EveryLimitGivesAWholeRunOrExit3) {
    // Real shortage: the child's address space is limited, from the least in which the
    // program loads at all, through running out while the tree is listed, up to the first
    // limit that is enough, in steps of 1 MiB. Where that range lies depends on the build and
    // the machine, so the test finds it. Whatever the limit, the command either prints the
    // whole summary or says so and exits 3; never 0 with a half-written text, never an abort.
    if (Sanitized) GTEST_SKIP() << "the sanitizers reserve more address space than any limit here";
    if (Emulator != nullptr) GTEST_SKIP() << "qemu reserves more address space than any limit here";
    TempFolder temp;
    constexpr int Files = 3000;
    for (int d = 0; d < 30; ++d) test::MakeFolders(temp / ("src/d" + std::to_string(d)));
    for (int i = 0; i < Files; ++i) {
        const std::string name = temp / ("src/d" + std::to_string(i % 30) + "/" +
                                         std::string(150, 'p') + std::to_string(i) + ".jpg");
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    const std::string summary = "抽出ファイルが" + std::to_string(Files) + "個見つかりました。";
    // Far past what a run of 3,000 files needs: a command that needs more is a fault itself.
    constexpr std::uint64_t TopMiB = 1024;
    const auto limited = [](const std::vector<std::string>& args, std::uint64_t mib) {
        return Child(args, Input::Null, "", "", mib << 20).Wait();
    };

    // Below some limit the program cannot even be loaded: nothing of ours runs there.
    std::uint64_t mib = 1;
    while (mib <= TopMiB && limited({"-V"}, mib).exitCode != 0) ++mib;
    ASSERT_LE(mib, TopMiB) << "tessel -V ran under no limit up to 1 GiB";
    const std::uint64_t loads = mib;

    int whole = 0, outOfMemory = 0;
    for (; mib <= TopMiB && whole == 0; ++mib) {
        SCOPED_TRACE(std::to_string(mib) + " MiB");
        const Outcome o = limited({"-n", "-l", temp / "src", temp / "dst"}, mib);
        if (o.exitCode == 3) {
            ++outOfMemory;
            EXPECT_EQ(o.err, "tessel: out of memory: the run stopped before its end\n");
            EXPECT_THAT(o.out, IsEmpty());
        } else if (o.exitCode == 0 && o.out.find(summary) != std::string::npos) {
            ++whole;
        } else {
            ADD_FAILURE() << "neither a whole run nor exit 3: exit " << o.exitCode << ", " << o.err;
        }
    }
    // A run starts a thread and lists 3,000 long names: more than the program needs to load.
    EXPECT_GT(outOfMemory, 0) << "the first limit that loads tessel (" << loads
                              << " MiB) was enough for a whole run";
    EXPECT_GT(whole, 0) << "no whole run up to 1 GiB";
}

TEST(TesselInterrupt, CtrlCInTheMiddleOfACopyLeavesNothing) {
    // The source lies on a disk that stops answering 1 MiB into huge.zip: Ctrl-C comes while
    // the copy is provably under way (its temporary file made, its first MiB written) on
    // every machine.
    std::string why;
    if (!test::HoldFs::Available(&why)) GTEST_SKIP() << why;
    TempFolder temp;
    test::HoldFs disk;
    test::WriteSparse(disk.Backing("src/huge.zip"), std::uint64_t{2} << 30);
    test::MakeFolders(temp / "dst");
    ASSERT_TRUE(disk.Mounted());
    disk.Hold("huge.zip", 1 << 20);
    Child child({"-q", "-k", "archives", disk / "src", temp / "dst"});
    ASSERT_TRUE(disk.WaitUntilHeld()) << "the copy never reached its second MiB";
    // Its temporary file, named or not, is the only thing it opens in the destination.
    EXPECT_TRUE(child.HasOpenFileUnder(temp / "dst"));

    child.Signal(SIGINT);
    // Every later read of the copy waits for the test as the first did, so the copy cannot
    // reach its end before the stop lands: let them go, as they come, until the child ends.
    ASSERT_TRUE(test::PollUntil([&] {
        disk.Release();
        return child.Ended();
    })) << "still running after Ctrl-C";
    const Outcome o = child.Wait();
    EXPECT_EQ(o.exitCode, 130);
    EXPECT_THAT(o.out, IsEmpty());
    EXPECT_THAT(test::NamesIn(temp / "dst"), IsEmpty());
}

TEST(TesselInterrupt, OnADiskThatStopsAnsweringItSaysAtOnceAndEndsWhenTheReadReturns) {
    // A read the kernel holds cannot be cut short (even _exit waits for it); the command
    // says at once that it is stopping, and which file it waits for, answers a second signal
    // the same way, and ends with its code the moment the read comes back.
    std::string why;
    if (!test::HoldFs::Available(&why)) GTEST_SKIP() << why;
    const struct {
        int signal;
        int exitCode;
    } cases[] = {{SIGINT, 130}, {SIGTERM, 143}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signal);
        TempFolder temp;
        test::HoldFs disk;
        ASSERT_TRUE(disk.Mounted());
        test::WriteSparse(disk.Backing("src/huge.zip"), std::uint64_t{64} << 20);
        test::MakeFolders(temp / "dst");
        disk.Hold("huge.zip", 1 << 20);
        Child child({"-q", "-k", "archives", disk / "src", temp / "dst"});
        ASSERT_TRUE(disk.WaitUntilHeld()) << "the copy never reached its second MiB";

        child.Signal(c.signal);
        EXPECT_TRUE(child.ErrorSays("tessel: stopping: "));
        EXPECT_TRUE(child.ErrorSays("tessel: waiting for the system to return from " +
                                    disk / "src/huge.zip" + "\n"));
        child.Signal(c.signal);
        EXPECT_TRUE(child.ErrorSays("tessel: stopping: ", 2));
        EXPECT_EQ(disk.Held(), 1);
        EXPECT_FALSE(child.Ended()) << "ended while its read was held";

        disk.EndHolds();
        const Outcome o = child.Wait();
        EXPECT_EQ(o.exitCode, c.exitCode);
        EXPECT_THAT(o.out, IsEmpty());
        EXPECT_TRUE(o.err.ends_with("tessel: stopped: the run did not finish\n")) << o.err;
        EXPECT_THAT(test::NamesIn(temp / "dst"), IsEmpty());
    }
}

// --- the account of each file, and what a run may do beyond copying -----------------------

// The report's records, one vector of fields each; `end` is what ends a record.
std::vector<std::vector<std::string>> Records(const std::string& text, char end) {
    std::vector<std::vector<std::string>> records;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t stop = text.find(end, start);
        const std::string line = text.substr(start, stop - start);
        std::vector<std::string> fields;
        for (std::size_t from = 0;;) {
            const std::size_t tab = line.find('\t', from);
            fields.push_back(line.substr(from, tab - from));
            if (tab == std::string::npos) break;
            from = tab + 1;
        }
        records.push_back(std::move(fields));
        if (stop == std::string::npos) break;
        start = stop + 1;
    }
    return records;
}

// The record of the file whose SOURCE ends with `name`.
const std::vector<std::string>* RecordOf(const std::vector<std::vector<std::string>>& records,
                                         const std::string& name) {
    for (const auto& r : records) {
        if (r.size() == 6 && r[3].ends_with("/" + name)) return &r;
    }
    return nullptr;
}

std::string ReadAll(const std::string& path) {
    const std::vector<std::uint8_t> bytes = test::ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

TEST(TesselReport, EveryFoundFileHasOneRecordWithItsOutcome) {
    TempFolder temp;
    test::WriteBytes(temp / "src/new.png", TinyPng(300, 300));
    test::WriteBytes(temp / "src/there.png", TinyPng(300, 300, 1));
    test::WriteBytes(temp / "dst/there.png", TinyPng(300, 300, 1));
    test::WriteBytes(temp / "src/renamed.png", TinyPng(400, 400, 2));
    test::WriteBytes(temp / "dst/old-name.png", TinyPng(400, 400, 2));
    test::WriteBytes(temp / "src/small.png", TinyPng(20, 20));
    const std::string longName = std::string(251, 'n') + ".png";  // no room for a number
    test::WriteBytes(temp / ("src/" + longName), TinyPng(300, 300, 3));
    test::WriteBytes(temp / ("dst/" + longName), TinyPng(300, 300, 4));
    test::WriteText(temp / "src/line\nfeed.png", "escaped as --list does");

    const std::string report = temp / "report.tsv";
    const Outcome o =
        Tessel({"--report=" + report, "--same-content", "-t", "100", temp / "src", temp / "dst"});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    const auto records = Records(ReadAll(report));
    ASSERT_EQ(records.size(), 6u);
    for (const auto& r : records) EXPECT_EQ(r.size(), 6u);
    const auto outcome = [&](const std::string& name) {
        const auto* r = RecordOf(records, name);
        return r ? (*r)[0] : "no record";
    };
    EXPECT_EQ(outcome("new.png"), "saved");
    EXPECT_EQ(outcome("there.png"), "same-name-size");
    EXPECT_EQ(outcome("renamed.png"), "same-content");
    EXPECT_EQ((*RecordOf(records, "renamed.png"))[4], temp / "dst/old-name.png");
    EXPECT_EQ(outcome("small.png"), "below-bound");
    EXPECT_EQ(outcome(longName), "failed");
    EXPECT_EQ((*RecordOf(records, longName))[5], "File name too long");
    EXPECT_EQ(outcome("line\\nfeed.png"), "below-bound");  // side 1
    const auto& saved = *RecordOf(records, "new.png");
    EXPECT_EQ(saved[1], "300");
    EXPECT_EQ(saved[2], std::to_string(TinyPng(300, 300).size()));
    EXPECT_EQ(saved[4], temp / "dst/new.png");
    EXPECT_THAT(o.out, HasSubstr("実際に保存されたファイル数：1個"));
}

TEST(TesselReport, GoesToStandardOutputBeforeTheFinalTextAndEndsWithNulOnRequest) {
    TempFolder temp;
    test::WriteText(temp / "src/tab\there.jpg", "x");
    const Outcome o = Tessel({"--report", "-", "-0", temp / "src", temp / "dst2"});
    EXPECT_EQ(o.exitCode, 2);  // dst2's parent holds no such folder: nothing ran
    test::MakeFolders(temp / "dst");
    const Outcome ran = Tessel({"--report", "-", "-0", temp / "src", temp / "dst"});
    EXPECT_EQ(ran.exitCode, 0);
    // Six fields, each ended by NUL; -0 with --report leaves --list alone.
    const std::string record = std::string(
                                   "saved\0"
                                   "1\0"
                                   "1\0",
                                   10) +
                               temp / "src/tab\there.jpg" + '\0' + temp / "dst/tab\there.jpg" +
                               '\0' + '\0';
    EXPECT_EQ(ran.out.substr(0, record.size()), record);
    EXPECT_THAT(ran.out.substr(record.size()), StartsWith("抽出ファイルが1個見つかりました。"));
    EXPECT_EQ(std::count(ran.out.begin(), ran.out.end(), '\0'), 6);
}

TEST(TesselReport, AFullDiskFailsTheFilesThatDoNotFitWithTheSystemsWords) {
    TempFolder temp;
    test::WriteSized(temp / "src/small.zip", 1000);
    test::WriteSized(temp / "src/large.zip", 200000);
    test::MakeFolders(temp / "dst");
    const std::string report = temp / "report.tsv";
    const Outcome o = Child({"-k", "archives", "--report=" + report, temp / "src", temp / "dst"},
                            Input::Null, {}, {}, 0, {.fileSize = 100000})
                          .Wait();
    EXPECT_EQ(o.exitCode, 0) << o.err;
    const auto records = Records(ReadAll(report));
    ASSERT_NE(RecordOf(records, "large.zip"), nullptr);
    EXPECT_EQ((*RecordOf(records, "large.zip"))[0], "failed");
    EXPECT_EQ((*RecordOf(records, "large.zip"))[5], "File too large");
    EXPECT_EQ((*RecordOf(records, "small.zip"))[0], "saved");
    EXPECT_THAT(test::NamesIn(temp / "dst"), ElementsAre("small.zip"));
}

TEST(TesselReport, AReportThatCannotBeMadeStopsTheRunBeforeItStarts) {
    TempFolder temp;
    MakeSource(temp);
    test::MakeFolders(temp / "dst");
    const Outcome o =
        Tessel({"--report=" + temp / "no/such/folder/r.tsv", temp / "src", temp / "dst"});
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_THAT(o.err, HasSubstr("cannot write the report"));
    EXPECT_THAT(test::NamesIn(temp / "dst"), IsEmpty());
}

TEST(TesselReport, AStopLeavesACompleteAccountAndMovesNothingNotInPlace) {
    // Two archives on a read-only disk that stops answering 1 MiB into the large one: Ctrl-C
    // there. The report then holds the small one as saved (its source stays, and says why)
    // if it came first, the held one and any after it as not reached, and the stop.
    std::string why;
    if (!test::HoldFs::Available(&why)) GTEST_SKIP() << why;
    TempFolder temp;
    test::HoldFs disk;
    ASSERT_TRUE(disk.Mounted());
    test::WriteSized(disk.Backing("src/a/small.zip"), 5000);
    test::WriteSparse(disk.Backing("src/b/huge.zip"), std::uint64_t{64} << 20);
    test::MakeFolders(temp / "dst");
    disk.Hold("huge.zip", 1 << 20);
    const std::string report = temp / "report.tsv";
    Child child(
        {"-q", "-k", "archives", "--move", "--report=" + report, disk / "src", temp / "dst"});
    ASSERT_TRUE(disk.WaitUntilHeld());
    child.Signal(SIGINT);
    EXPECT_TRUE(child.ErrorSays("tessel: stopping: "));
    disk.EndHolds();
    const Outcome o = child.Wait();
    EXPECT_EQ(o.exitCode, 130);

    const auto records = Records(ReadAll(report));
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back(), (std::vector<std::string>{"stopped", "", "", "", "", "interrupted"}));
    ASSERT_NE(RecordOf(records, "huge.zip"), nullptr);
    EXPECT_EQ((*RecordOf(records, "huge.zip"))[0], "not-reached");
    ASSERT_NE(RecordOf(records, "small.zip"), nullptr);
    EXPECT_EQ(records.size(), 3u);
    // Nothing leaves the disk: a copy that stands says why its source stays (the stop came
    // before a flush covered it).
    EXPECT_TRUE(std::filesystem::exists(disk.Backing("src/b/huge.zip")));
    EXPECT_TRUE(std::filesystem::exists(disk.Backing("src/a/small.zip")));
    // The disk lists by name: the small one comes first, and its copy stands.
    const auto& small = *RecordOf(records, "small.zip");
    EXPECT_EQ(small[0], "saved");
    EXPECT_EQ(small[5], "the source stays: the run was stopped");
    EXPECT_THAT(test::NamesIn(temp / "dst"), ElementsAre("small.zip"));
    // The stopped run's report undoes it.
    const Outcome undone = Tessel({"--undo=" + report});
    EXPECT_EQ(undone.exitCode, 0) << undone.err;
    EXPECT_THAT(test::NamesIn(temp / "dst"), IsEmpty());
}

TEST(TesselRun, TwoRunsIntoOneDestinationAtOnceSaveEveryFileOnce) {
    // The same 100 names in both sources, every file of other bytes and size: whichever run
    // takes a name first, the other numbers its file on.
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        TempFolder temp;
        std::set<std::vector<std::uint8_t>> all;
        for (int i = 0; i < 100; ++i) {
            for (const int side : {1, 2}) {
                const std::string path =
                    temp / ("src" + std::to_string(side) + "/p" + std::to_string(i) + ".jpg");
                test::WriteSized(path, static_cast<std::uint64_t>(100 + 2 * i + side),
                                 static_cast<std::uint8_t>(side));
                all.insert(test::ReadBytes(path));
            }
        }
        test::MakeFolders(temp / "dst");
        Child one({"-q", "--report=" + temp / "one.tsv", temp / "src1", temp / "dst"});
        Child two({"-q", "--report=" + temp / "two.tsv", temp / "src2", temp / "dst"});
        EXPECT_EQ(one.Wait().exitCode, 0);
        EXPECT_EQ(two.Wait().exitCode, 0);
        for (const char* report : {"one.tsv", "two.tsv"}) {
            for (const auto& r : Records(ReadAll(temp / report))) EXPECT_EQ(r[0], "saved") << r[3];
        }
        std::set<std::vector<std::uint8_t>> standing;
        for (const std::string& file : test::FilesUnder(temp / "dst")) {
            standing.insert(test::ReadBytes(temp / ("dst/" + file)));
        }
        EXPECT_EQ(test::FilesUnder(temp / "dst").size(), 200u);
        EXPECT_EQ(standing, all);
    }
}

TEST(TesselMove, ADiskThatGoesAwayEndsTheRunWithExit5AndKeepsEverySource) {
    // Source and destination on one disk that is pulled while the second copy reads. One call
    // at a time: the first copy is in place before the second is read.
    std::string why;
    if (!test::HoldFs::Available(&why)) GTEST_SKIP() << why;
    test::HoldFs disk(test::HoldFs::Access::Writable);
    ASSERT_TRUE(disk.Mounted());
    test::WriteSized(disk.Backing("src/a.zip"), 5000);
    test::WriteSized(disk.Backing("src/b.zip"), 3 << 20);
    test::WriteSized(disk.Backing("src/c.zip"), 5000);
    test::MakeFolders(disk.Backing("dst"));
    disk.Hold("b.zip", 1 << 20);
    TempFolder temp;
    const std::string report = temp / "report.tsv";
    Child child({"-q", "-j", "1", "-k", "archives", "--move", "--report=" + report, disk / "src",
                 disk / "dst"});
    ASSERT_TRUE(disk.WaitUntilHeld());
    disk.FailEverything();
    disk.EndHolds();
    const Outcome o = child.Wait();
    EXPECT_EQ(o.exitCode, 5) << o.err;
    EXPECT_THAT(o.err, HasSubstr("the destination folder '" + disk / "dst" + "' is gone"));
    EXPECT_THAT(o.out, IsEmpty());
    const auto records = Records(ReadAll(report));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0][0], "saved");
    EXPECT_EQ(records[0][5], "the source stays: the destination folder is gone");
    EXPECT_EQ(records[1][0], "failed");
    EXPECT_EQ(records[2][0], "not-reached");
    EXPECT_EQ(records[3],
              (std::vector<std::string>{"stopped", "", "", "", "", "destination gone"}));
    EXPECT_EQ(test::FilesUnder(disk.Backing("src")).size(), 3u);
}

TEST(TesselMove, OnlyWhatStandsWholeInTheDestinationLeavesTheSource) {
    TempFolder temp;
    test::WriteBytes(temp / "src/a/new.png", TinyPng(300, 300));
    test::WriteBytes(temp / "src/a/there.png", TinyPng(300, 300, 1));
    test::WriteBytes(temp / "dst/there.png", TinyPng(300, 300, 1));
    test::WriteBytes(temp / "src/b/small.png", TinyPng(20, 20));
    const Outcome o = Tessel({"--move", "--verify", "-t", "100", temp / "src", temp / "dst"});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(test::FilesUnder(temp / "src"),
              (std::vector<std::string>{"a/there.png", "b/small.png"}));
    EXPECT_EQ(test::ReadBytes(temp / "dst/new.png"), TinyPng(300, 300));
    // Folders stay, emptied or not.
    EXPECT_TRUE(std::filesystem::is_directory(temp / "src/a"));
}

// Every file under `folder` with its bytes ('/' between levels); empty when it is not there.
std::map<std::string, std::vector<std::uint8_t>> Contents(const std::string& folder) {
    std::map<std::string, std::vector<std::uint8_t>> contents;
    if (!std::filesystem::exists(folder)) return contents;
    for (const std::string& file : test::FilesUnder(folder)) {
        const std::string path = folder + "/" + file;
        if (std::filesystem::is_symlink(path)) {
            const std::string target = "-> " + std::filesystem::read_symlink(path).string();
            contents[file] = std::vector<std::uint8_t>(target.begin(), target.end());
        } else {
            contents[file] = test::ReadBytes(path);
        }
    }
    return contents;
}

TEST(TesselUndo, PutsBackWhatTheRunDidOrSaysWhyNot) {
    // src: a/x.jpg, b/x.jpg (a name twice) and b/y.jpg; dst holds keep.jpg, and y.jpg where
    // the case says so. After the run, `after` may change things; the undo must then leave
    // src as it was before the run and dst as it was but for `left`.
    using Change = std::function<void(const TempFolder&, const std::string& report)>;
    const Change nothing = [](const TempFolder&, const std::string&) {};
    const struct {
        const char* what;
        std::vector<std::string> options;  // of the run
        bool yHeld;                        // dst/y.jpg stands before the run
        Change after;
        std::vector<std::string> undoOptions;
        int exitCode;
        std::set<std::string> left;  // files of dst that differ after the undo
        bool sourcesAsBefore;
    } cases[] = {
        {"copies", {}, false, nothing, {}, 0, {}, true},
        {"a move", {"--move"}, false, nothing, {}, 0, {}, true},
        {"a move with a read-back", {"--move", "--verify"}, false, nothing, {}, 0, {}, true},
        {"the duplicates folder", {"-d", "separate"}, false, nothing, {}, 0, {}, true},
        {"a dry run of the undo",
         {"--move"},
         false,
         nothing,
         {"-n"},
         0,
         {"x.jpg", "x(1).jpg", "y.jpg"},
         false},
        // The undo cannot bring back what overwriting replaced: that copy stays, and so does
        // the one whose name the run's own later file took.
        {"overwrite", {"-d", "overwrite"}, true, nothing, {}, 6, {"x.jpg", "y.jpg"}, true},
        {"a copy changed since",
         {},
         false,
         [](const TempFolder& temp, const std::string&) {
             test::WriteSized(temp / "dst/y.jpg", 100, 'c');
         },
         {},
         6,
         {"y.jpg"},
         true},
        {"a source path taken since",
         {"--move"},
         false,
         [](const TempFolder& temp, const std::string&) {
             test::WriteSized(temp / "src/b/y.jpg", 10, 'n');
         },
         {},
         6,
         {"y.jpg"},
         false},
        {"a report cut off inside its last record",
         {},
         false,
         [](const TempFolder&, const std::string& report) {
             std::filesystem::resize_file(report, std::filesystem::file_size(report) - 3);
         },
         {},
         0,
         {"*last*"},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder temp;
        test::WriteSized(temp / "src/a/x.jpg", 100, 'a');
        test::WriteSized(temp / "src/b/x.jpg", 200, 'b');
        test::WriteSized(temp / "src/b/y.jpg", 100, 'y');
        test::WriteSized(temp / "dst/keep.jpg", 10, 'k');
        if (c.yHeld) test::WriteSized(temp / "dst/y.jpg", 50, 'h');
        const auto sources = Contents(temp / "src");
        const auto held = Contents(temp / "dst");
        const std::string report = temp / "run.tsv";
        std::vector<std::string> args = c.options;
        for (const std::string& a : {"--report=" + report, temp / "src", temp / "dst"}) {
            args.push_back(a);
        }
        const Outcome ran = Tessel(args);
        ASSERT_EQ(ran.exitCode, 0) << ran.err;
        std::set<std::string> left = c.left;
        if (left.contains("*last*")) {
            const auto records = Records(ReadAll(report));
            left = {std::filesystem::path(records.back()[4]).filename().string()};
        }
        c.after(temp, report);

        std::vector<std::string> undo = {"--undo=" + report};
        undo.insert(undo.end(), c.undoOptions.begin(), c.undoOptions.end());
        const Outcome undone = Tessel(undo);
        EXPECT_EQ(undone.exitCode, c.exitCode) << undone.err;
        EXPECT_THAT(undone.out, StartsWith("undo"));
        if (c.sourcesAsBefore) {
            EXPECT_EQ(Contents(temp / "src"), sources);
        }
        auto now = Contents(temp / "dst");
        std::set<std::string> differ;
        for (const auto& [name, bytes] : now) {
            if (!held.contains(name) || held.at(name) != bytes) differ.insert(name);
        }
        for (const auto& [name, bytes] : held) {
            if (!now.contains(name)) differ.insert(name);
        }
        EXPECT_EQ(differ, left);
        // Every byte of the run's sources is still somewhere.
        for (const auto& [name, bytes] : sources) {
            const auto in = [&](const auto& contents) {
                return std::any_of(contents.begin(), contents.end(),
                                   [&](const auto& entry) { return entry.second == bytes; });
            };
            EXPECT_TRUE(in(Contents(temp / "src")) || in(now)) << name << " is lost";
        }
    }
}

TEST(TesselUndo, AFolderTheRunMadeGoesWhenEmptied) {
    TempFolder temp;
    test::WriteSized(temp / "src/a.jpg", 10);
    const std::string report = temp / "run.tsv";
    ASSERT_EQ(Tessel({"-y", "--report=" + report, temp / "src", temp / "made"}).exitCode, 0);
    EXPECT_TRUE(std::filesystem::exists(temp / "made/a.jpg"));
    const std::string account = temp / "undo.tsv";
    const Outcome o = Tessel({"--undo", report, "--report=" + account});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_FALSE(std::filesystem::exists(temp / "made"));
    const auto records = Records(ReadAll(account));
    ASSERT_EQ(records.size(), 2u);  // the copy, then the folder
    EXPECT_EQ(records[0][0], "removed");
    EXPECT_EQ(records[1][0], "removed");
    EXPECT_EQ(records[1][4], temp / "made");
    // Nothing else goes with it.
    EXPECT_EQ(Tessel({"--undo", report, temp / "src"}).exitCode, 1);
}

// A random tree of pictures for one seed: names that repeat across folders, sizes and bytes
// that repeat, links inside the tree and one out of it, and a destination that holds some of
// the names already, some with the same bytes. Made the same way under `root` for each seed.
void MakeRandomTree(const std::string& root, unsigned seed) {
    std::mt19937 random(seed);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char* names[] = {"a.jpg", "b.png", "c.gif", "a.png", "d.jpeg", "e.bmp"};
    const char* folders[] = {"", "x/", "x/y/", "z/", "z/w/v/"};
    for (int i = 0; i < 40; ++i) {
        std::string file = root + "/src/" + folders[pick(5)] + names[pick(6)];
        if (std::filesystem::exists(file)) file.insert(file.rfind('.'), std::to_string(i % 3));
        switch (pick(4)) {
            case 0:  // a picture of one of a few sizes, the bound's business
                test::WriteBytes(file, TinyPng(10 + 20 * static_cast<std::uint32_t>(pick(4)), 40,
                                               static_cast<std::uint8_t>(pick(3))));
                break;
            default:  // bytes of a few sizes and seeds: equal copies among them
                test::WriteSized(file, static_cast<std::uint64_t>(100 + 50 * pick(3)),
                                 static_cast<std::uint8_t>('a' + pick(3)));
        }
    }
    std::filesystem::create_directories(root + "/src/x");
    std::filesystem::create_symlink("../a.jpg", root + "/src/x/link.jpg");
    std::filesystem::create_symlink("/etc/hostname", root + "/src/outside.jpg");
    // The destination holds some of the names: the same bytes, or others.
    test::WriteSized(root + "/dst/a.jpg", static_cast<std::uint64_t>(100 + 50 * pick(3)), 'a');
    test::WriteSized(root + "/dst/b.png", 150, 'q');
    test::WriteSized(root + "/dst/" + text::DuplicatesFolder + "/c.gif", 100, 'b');
}

TEST(TesselJobs, OneCallOrEightInFlightGiveTheSameRun) {
    // Every duplicate mode, with and without a bound, --same-content and --move, over random
    // trees: --jobs=8 must leave the destination (names and bytes) and the source as --jobs=1
    // does, and write the same report and the same final text.
    const unsigned trees = Sanitized || Emulator != nullptr ? 2 : 4;
    int runs = 0;
    for (unsigned seed = 1; seed <= trees; ++seed) {
        for (const char* mode : {"numbered", "overwrite", "separate"}) {
            for (const bool bound : {false, true}) {
                for (const bool sameContent : {false, true}) {
                    for (const bool move : {false, true}) {
                        SCOPED_TRACE("seed " + std::to_string(seed) + " " + mode +
                                     (bound ? " bound" : "") + (sameContent ? " same" : "") +
                                     (move ? " move" : ""));
                        struct Result {
                            Outcome outcome;
                            std::map<std::string, std::vector<std::uint8_t>> source, destination;
                            std::string report;
                        };
                        const auto run = [&](const char* jobs) {
                            TempFolder temp;
                            MakeRandomTree(temp.Path(), seed);
                            std::vector<std::string> args = {"-q", "-d", mode, jobs,
                                                             "--report=" + temp / "r.tsv"};
                            if (bound) args.push_back("-t30");
                            if (sameContent) args.push_back("--same-content");
                            if (move) args.push_back("--move");
                            args.push_back(temp / "src");
                            args.push_back(temp / "dst");
                            Result r{Tessel(args), Contents(temp / "src"), Contents(temp / "dst"),
                                     ReadAll(temp / "r.tsv")};
                            // The two runs live in two folders: the report names them alike.
                            for (std::size_t at;
                                 (at = r.report.find(temp.Path())) != std::string::npos;) {
                                r.report.replace(at, temp.Path().size(), "ROOT");
                            }
                            return r;
                        };
                        const Result one = run("--jobs=1");
                        const Result eight = run("--jobs=8");
                        ++runs;
                        ASSERT_EQ(one.outcome.exitCode, 0) << one.outcome.err;
                        EXPECT_EQ(eight.outcome.exitCode, 0) << eight.outcome.err;
                        EXPECT_EQ(eight.outcome.out, one.outcome.out);
                        EXPECT_EQ(eight.report, one.report);
                        EXPECT_EQ(eight.destination, one.destination);
                        EXPECT_EQ(eight.source, one.source);
                    }
                }
            }
        }
    }
    EXPECT_EQ(runs, static_cast<int>(trees) * 24);
}

TEST(TesselProgress, OnATerminalTheLineSaysHowFarAndIsWipedAtTheEnd) {
    std::string why;
    if (!test::HoldFs::Available(&why)) GTEST_SKIP() << why;
    TempFolder temp;
    test::HoldFs disk;
    ASSERT_TRUE(disk.Mounted());
    test::WriteSparse(disk.Backing("src/huge.zip"), std::uint64_t{8} << 20);
    test::MakeFolders(temp / "dst");
    disk.Hold("huge.zip", 1 << 20);
    Child child({"-k", "archives", disk / "src", temp / "dst"}, Input::Null, {}, {}, 0,
                {.errorTerminal = true});
    ASSERT_TRUE(disk.WaitUntilHeld());
    // Held in the only copy: nothing done yet of one file, 8 MiB.
    EXPECT_TRUE(child.ErrorSays("\rcopying: 0/1 files, 0 B of 8.0 MiB"));
    disk.EndHolds();
    const Outcome o = child.Wait();
    EXPECT_EQ(o.exitCode, 0);
    // The last thing on the terminal wipes the line.
    const std::size_t last = o.err.rfind('\r');
    ASSERT_NE(last, std::string::npos);
    EXPECT_EQ(o.err.substr(last), "\r");
    EXPECT_THAT(o.err, Not(HasSubstr("%")));

    // Quiet, the command draws nothing.
    test::MakeFolders(temp / "dst2");
    const Outcome quiet = Child({"-q", "-k", "archives", disk / "src", temp / "dst2"}, Input::Null,
                                {}, {}, 0, {.errorTerminal = true})
                              .Wait();
    EXPECT_THAT(quiet.err, Not(HasSubstr("copying")));
}

}  // namespace
}  // namespace tessel
