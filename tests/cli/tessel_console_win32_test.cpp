// tessel.com through its process, under Wine: the names code page 932 cannot write, a tree
// past MAX_PATH, the output in the console's code page, the question on the console, exit
// codes, and Ctrl-C in the middle of a copy.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "files/code_page.h"
#include "files/os/wide_path_win32.h"
#include "support/poll.h"
#include "support/test_support.h"
#include "support/tiny_png.h"
#include "win32/wide_text.h"

namespace tessel {
namespace {

struct Handle {
    HANDLE h = nullptr;
    Handle() = default;
    explicit Handle(HANDLE raw) : h(raw) {}
    ~Handle() {
        if (h && h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
};

std::wstring BesideThisTest(const wchar_t* name) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder = self;
    return folder.substr(0, folder.rfind(L'\\') + 1) + name;
}

// One argument as CommandLineToArgvW reads it back.
std::wstring Quoted(const std::wstring& argument) {
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, L'\\');
    return out + L"\"";
}

struct Outcome {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

std::string ReadAll(HANDLE pipe) {
    std::string all;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0)
        all.append(buffer, got);
    return all;
}

// A running tessel.com with its standard output and error read through pipes. Its input is
// NUL unless `input` (a console's input) is given.
class Child {
public:
    explicit Child(const std::vector<std::string>& args, HANDLE input = nullptr) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
        EXPECT_TRUE(::CreatePipe(&outRead, &outWrite, &inherit, 0));
        EXPECT_TRUE(::CreatePipe(&errRead, &errWrite, &inherit, 0));
        ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
        ::SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
        out_.h = outRead;
        err_.h = errRead;
        Handle outChild(outWrite), errChild(errWrite);
        Handle nul(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                 OPEN_EXISTING, 0, nullptr));

        const std::wstring program = BesideThisTest(L"tessel.com");
        std::wstring commandLine = Quoted(program);
        for (const std::string& arg : args) commandLine += L" " + Quoted(WideOf(arg));
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input ? input : nul.h;
        startup.hStdOutput = outChild.h;
        startup.hStdError = errChild.h;
        PROCESS_INFORMATION process{};
        EXPECT_TRUE(::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                     nullptr, nullptr, &startup, &process));
        process_.h = process.hProcess;
        ::CloseHandle(process.hThread);
        errReader_ = std::thread([this] { errText_ = ReadAll(err_.h); });
    }
    ~Child() {
        if (process_.h) ::TerminateProcess(process_.h, 1);
        if (errReader_.joinable()) errReader_.join();
    }

    Outcome Wait() {
        Outcome o;
        o.out = ReadAll(out_.h);
        errReader_.join();
        o.err = errText_;
        ::WaitForSingleObject(process_.h, INFINITE);
        ::GetExitCodeProcess(process_.h, &o.exitCode);
        ::CloseHandle(process_.h);
        process_.h = nullptr;
        return o;
    }

private:
    Handle process_, out_, err_;
    std::thread errReader_;
    std::string errText_;
};

Outcome Tessel(const std::vector<std::string>& args) {
    return Child(args).Wait();
}

// The five names of the bug report, and a file more than 300 characters deep.
void MakeTree(const TempFolder& temp) {
    const char* names[] = {"café.jpg", "한국.png", "emoji😀.gif", "日本.jpg", "plain.jpg"};
    std::uint32_t side = 10;
    for (const char* name : names) {
        test::WriteBytes(temp / "src/" + name, TinyPng(side, side));
        ++side;
    }
    test::WriteBytes(temp / "src/sub/한국.png", TinyPng(50, 50, 7));  // another size
    std::string deep = temp / "src/deep";
    while (deep.size() < 300) deep += "\\" + std::string(40, 'd');
    test::WriteBytes(deep + "\\깊은.png", TinyPng(60, 60));
}

TEST(TesselExe, CopiesEveryNameOfTheTreeUnderItsRealName) {
    TempFolder temp;
    MakeTree(temp);
    const Outcome o = Tessel({"-q", "-y", temp / "src", temp / "dst"});
    EXPECT_EQ(o.exitCode, 0u) << o.err;
    EXPECT_THAT(o.err, IsEmpty());
    EXPECT_THAT(NamesIn(temp / "dst"),
                UnorderedElementsAre("café.jpg", "한국.png", "한국(1).png", "emoji😀.gif",
                                     "日本.jpg", "plain.jpg", "깊은.png"));
    // Without a console the output is in the ANSI code page: 932 here.
    EXPECT_EQ(o.out,
              Utf8ToCp932("抽出ファイルが7個見つかりました。\n合計ファイルサイズ：0KByte\n"
                          "重複ファイル：1個\nファイル縦横サイズ閾値設定：なし\n"
                          "実際に保存されたファイル数：7個（※同名かつ同サイズのファイルは上書"
                          "きしません）\n\n抽出を終了しました。\n"));
}

TEST(TesselExe, ListsRealPathsAsTheCodePageShowsThem) {
    TempFolder temp;
    MakeTree(temp);
    const Outcome o = Tessel({"-n", "-l", temp / "src", temp / "dst"});
    EXPECT_EQ(o.exitCode, 0u) << o.err;
    // The records write each backslash as two, as on Linux.
    std::string root;
    for (const char c : Utf8ToCp932(temp / "src") + "\\")
        root += c == '\\' ? "\\\\" : std::string(1, c);
    for (const std::string& line :
         {"10\t45\t" + root + "caf?.jpg", "11\t45\t" + root + "??.png",
          "12\t45\t" + root + "emoji?.gif", "13\t45\t" + root + "\x93\xFA\x96\x7B.jpg",
          "50\t52\t" + root + "sub\\\\??.png"}) {
        EXPECT_THAT(o.out, HasSubstr(line + "\n"));
    }
    EXPECT_THAT(o.out, HasSubstr("60\t45\t" + root + "deep\\\\"));
    EXPECT_THAT(NamesIn(temp.Path()), UnorderedElementsAre("src/"));  // nothing created
}

TEST(TesselExe, ItsReportNamesEveryFileInUtf8WhateverTheCodePage) {
    // A report whose own name no code page holds; its records are UTF-8 on every platform,
    // paths escaped as --list escapes them.
    TempFolder temp;
    MakeTree(temp);
    test::WriteBytes(temp / "dst/前からある.png", TinyPng(12, 12));  // emoji😀.gif's bytes
    const std::string report = temp / "記録😀.tsv";
    const Outcome o = Tessel(
        {"-q", "--same-content", "--verify", "--report=" + report, temp / "src", temp / "dst"});
    EXPECT_EQ(o.exitCode, 0u) << o.err;
    const std::vector<std::uint8_t> bytes = test::ReadBytes(report);
    const std::string records(bytes.begin(), bytes.end());
    std::string root;
    for (const char c : temp / "src\\") root += c == '\\' ? "\\\\" : std::string(1, c);
    EXPECT_THAT(records, HasSubstr("saved\t10\t45\t" + root + "café.jpg\t"));
    std::string held;
    for (const char c : temp / "dst\\前からある.png")
        held += c == '\\' ? "\\\\" : std::string(1, c);
    EXPECT_THAT(records,
                HasSubstr("same-content\t12\t45\t" + root + "emoji😀.gif\t" + held + "\t\n"));
    EXPECT_EQ(std::count(records.begin(), records.end(), '\n'), 7);
}

TEST(TesselExe, ExitCodesAndMessagesAreTheCommands) {
    TempFolder temp;
    test::MakeFolders(temp / "src");
    const struct {
        const char* what;
        std::vector<std::string> args;
        DWORD exitCode;
        std::string err;  // the start of it
    } cases[] = {
        {"missing source",
         {temp / "none", temp / "dst"},
         2,
         "tessel: " + Utf8ToCp932("抽出元フォルダの指定が不正です。") + "\n"},
        {"destination two levels missing",
         {temp / "src", temp / "x/y"},
         2,
         "tessel: " + Utf8ToCp932("コピー先フォルダの指定が不正です。") + "\n"},
        // No console to ask on, no --yes: no is the answer.
        {"missing last level, nobody asked",
         {temp / "src", temp / "new"},
         2,
         "tessel: " + Utf8ToCp932("コピー先フォルダの指定が不正です。") + "\n"},
        {"unknown option", {"--colour", temp / "src", temp / "dst"}, 1, "tessel: "},
        {"bound for archives",
         {"-k", "archives", "-t", "auto", temp / "src", temp / "dst"},
         1,
         "tessel: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome o = Tessel(c.args);
        EXPECT_EQ(o.exitCode, c.exitCode);
        EXPECT_THAT(o.err, StartsWith(c.err));
        EXPECT_THAT(o.out, IsEmpty());
    }
    EXPECT_EQ(Tessel({"-V"}).out, "tessel 2.32\n");
    EXPECT_THAT(Tessel({"--help"}).out, StartsWith("Usage: tessel [OPTION]... SOURCE DESTINATION"));
    // Forward slashes are separators too, and a trailing one is accepted.
    test::WriteBytes(temp / "src/a.png", TinyPng(5, 5));
    std::string slashed = temp / "src";
    for (char& c : slashed) c = c == '\\' ? '/' : c;
    const Outcome o = Tessel({"-y", slashed + "/", slashed + "/../made/"});
    EXPECT_EQ(o.exitCode, 0u) << o.err;
    EXPECT_THAT(NamesIn(temp / "made"), UnorderedElementsAre("a.png"));
}

// The test's own console, which the children inherit, with `typed` waiting in its input.
class TypedConsole {
public:
    explicit TypedConsole(std::wstring_view typed) {
        ::FreeConsole();
        allocated_ = ::AllocConsole() != 0;
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        input_.h =
            ::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
        std::vector<INPUT_RECORD> keys;
        for (const wchar_t c : typed) {
            for (const BOOL down : {TRUE, FALSE}) {
                INPUT_RECORD key{};
                key.EventType = KEY_EVENT;
                key.Event.KeyEvent.bKeyDown = down;
                key.Event.KeyEvent.wRepeatCount = 1;
                key.Event.KeyEvent.wVirtualKeyCode = c == L'\r' ? VK_RETURN : 0;
                key.Event.KeyEvent.uChar.UnicodeChar = c;
                keys.push_back(key);
            }
        }
        DWORD written = 0;
        ::WriteConsoleInputW(input_.h, keys.data(), static_cast<DWORD>(keys.size()), &written);
    }
    ~TypedConsole() { ::FreeConsole(); }
    TypedConsole(const TypedConsole&) = delete;
    TypedConsole& operator=(const TypedConsole&) = delete;

    bool Ready() const { return allocated_ && input_.h != INVALID_HANDLE_VALUE; }
    HANDLE Input() const { return input_.h; }

private:
    bool allocated_ = false;
    Handle input_;
};

TEST(TesselExe, AsksOnTheConsoleBeforeMakingTheDestination) {
    TempFolder temp;
    test::WriteBytes(temp / "src/한국.png", TinyPng(5, 5));
    const struct {
        const wchar_t* typed;
        DWORD exitCode;
        bool created;
    } cases[] = {{L"y\r", 0, true}, {L"n\r", 2, false}, {L"\r", 2, false}};
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.typed)));
        const TypedConsole console(c.typed);
        ASSERT_TRUE(console.Ready());
        const std::string destination = temp / ("new" + std::to_string(n++));
        const Outcome o = Child({"-q", temp / "src", destination}, console.Input()).Wait();
        EXPECT_EQ(o.exitCode, c.exitCode) << o.err;
        // The console's output code page here is 932.
        EXPECT_THAT(
            o.err,
            StartsWith("tessel: " + Utf8ToCp932("コピー先フォルダは存在しません。作成しますか？") +
                       " [y/N] "));
        EXPECT_EQ(
            ::GetFileAttributesW(os::WidePath(destination).c_str()) != INVALID_FILE_ATTRIBUTES,
            c.created);
        if (c.created) {
            EXPECT_THAT(NamesIn(destination), UnorderedElementsAre("한국.png"));
        }
    }
}

// Under Wine a Windows process is a Unix one, and SIGINT to it raises CTRL_C_EVENT in it,
// as Ctrl-C in its terminal does. Wine's GenerateConsoleCtrlEvent reaches no handler, so
// the test finds the child's Unix process by its command line (Z: is the Unix root) and has
// /bin/kill send the signal.
std::optional<std::string> UnixProcessWith(const std::string& marker) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = ::FindFirstFileW(L"Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::string> found;
    do {
        const std::wstring name = entry.cFileName;
        if (name.empty() || name[0] < L'0' || name[0] > L'9') continue;
        const Handle file(::CreateFileW((L"Z:\\proc\\" + name + L"\\cmdline").c_str(), GENERIC_READ,
                                        FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (file.h == INVALID_HANDLE_VALUE) continue;
        std::string line = ReadAll(file.h);
        for (char& c : line) c = c ? c : ' ';
        if (line.find("tessel.com") != std::string::npos &&
            line.find(marker) != std::string::npos) {
            found = os::Utf8Of(name);
        }
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return found;
}

TEST(TesselExe, CtrlCInTheMiddleOfACopyLeavesNothing) {
    TempFolder temp;
    test::MakeFolders(temp / "src");
    test::MakeFolders(temp / "dst");
    {
        const Handle file(::CreateFileW(os::WidePath(temp / "src/huge.zip").c_str(), GENERIC_WRITE,
                                        0, nullptr, CREATE_NEW, 0, nullptr));
        ASSERT_NE(file.h, INVALID_HANDLE_VALUE);
        LARGE_INTEGER size;
        size.QuadPart = 2LL << 30;  // sparse: no disk used
        ::SetFilePointerEx(file.h, size, nullptr, FILE_BEGIN);
        ::SetEndOfFile(file.h);
    }

    Child child({"-q", "-k", "archives", temp / "src", temp / "dst"});
    // The copy is under way once its temporary file stands in the destination.
    ASSERT_TRUE(test::PollUntil([&] { return !NamesIn(temp / "dst").empty(); }));
    const std::optional<std::string> unix = UnixProcessWith(temp.Path());
    if (!unix) GTEST_SKIP() << "not under Wine";
    std::wstring kill = L"Z:\\bin\\kill -INT " + WideOf(*unix);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION killer{};
    ASSERT_TRUE(::CreateProcessW(nullptr, kill.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &killer));
    ::WaitForSingleObject(killer.hProcess, 10000);
    ::CloseHandle(killer.hProcess);
    ::CloseHandle(killer.hThread);

    const Outcome o = child.Wait();
    EXPECT_EQ(o.exitCode, 130u);
    EXPECT_THAT(o.out, IsEmpty());
    EXPECT_THAT(NamesIn(temp / "dst"), IsEmpty());
}

}  // namespace
}  // namespace tessel
