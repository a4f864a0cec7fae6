// The real Tessel.exe, driven from this second process by control IDs only, as a user
// would drive it: runs over real trees, the folder messages and the creation question, the
// abort during the search and during a large copy, and the menu's exit during a run.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/form_table.h"
#include "files/code_page.h"
#include "files/os/wide_path_win32.h"
#include "held_disk.h"
#include "remote_window.h"
#include "support/test_support.h"
#include "support/tiny_png.h"
#include "win32/form_texts.h"
#include "win32/wide_text.h"

namespace tessel::test {
namespace {

// Tessel.exe started from a folder of its own, as the shell starts it, and closed (or
// killed, if it hangs) at the end of the test.
class Program {
public:
    Program() {
        const std::string exe = folder_ / "Tessel.exe";
        EXPECT_TRUE(::CopyFileW(os::WidePath(BesideThisTest("Tessel.exe")).c_str(),
                                os::WidePath(exe).c_str(), TRUE));
        std::string commandLine = "\"" + exe + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        EXPECT_TRUE(::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                     nullptr, folder_.Path().c_str(), &startup, &process_));
        main_ = drive::WaitForShown(MainClassName, 30000, process_.dwProcessId);
        EXPECT_NE(main_, nullptr);
    }
    ~Program() {
        if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            ::PostMessageA(main_, WM_CLOSE, 0, 0);
            if (::WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) {
                ADD_FAILURE() << "the program did not end";
                ::TerminateProcess(process_.hProcess, 99);
            }
        }
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process_.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    HWND Main() const { return main_; }
    HWND Item(int id) const { return ::GetDlgItem(main_, id); }
    std::string Text(int id) const { return drive::TextOf(Item(id)); }
    void Set(int id, const std::string& text) {
        std::string holds;
        EXPECT_TRUE(drive::SetText(Item(id), text, &holds))
            << "control " << id << " holds \"" << holds << "\"";
    }
    void Press(int id) { drive::Press(main_, id); }
    void Post(int command) { ::PostMessageA(main_, WM_COMMAND, command, 0); }
    void Choose(int id, int index) { drive::SelectItem(main_, id, index); }
    DWORD Id() const { return process_.dwProcessId; }
    void Check(int id) { drive::CheckRadio(main_, id); }
    void Close() { ::PostMessageA(main_, WM_CLOSE, 0, 0); }
    int Progress() const {
        DWORD_PTR position = 0;
        ::SendMessageTimeoutW(Item(PrgProgress), PBM_GETPOS, 0, 0, SMTO_NORMAL, 60000, &position);
        return static_cast<int>(position);
    }
    // Whether the window answers a message: its thread is not held in a wait.
    bool Answers() const {
        DWORD_PTR ignored = 0;
        return ::SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored) != 0;
    }
    // One look of the progress timer, made now and waited for: what a tick that comes after
    // the end of a run would do.
    void Tick() {
        DWORD_PTR ignored = 0;
        EXPECT_TRUE(::SendMessageTimeoutW(main_, WM_TIMER, ProgressTimerId, 0, SMTO_NORMAL, 60000,
                                          &ignored));
    }
    bool LogHas(const std::string& part, int milliseconds = 60000) {
        return drive::WaitUntil([&] { return Text(EdtLog).find(part) != std::string::npos; },
                                milliseconds);
    }
    // The message box that the program shows next, answered with `button`.
    std::string AnswerMessage(int button) {
        HWND box = drive::WaitForMessageBox(process_.dwProcessId, 10000);
        if (box == nullptr) return "(no message box)";
        const std::string text = drive::MessageOf(box);
        drive::Answer(box, button);
        drive::WaitUntil([&] { return !::IsWindow(box); }, 10000);
        return text;
    }
    bool NoMessageBox() const {
        return drive::FindShown(u"#32770", process_.dwProcessId) == nullptr;
    }
    DWORD WaitForExit(int milliseconds) {
        if (::WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0) return 999;
        DWORD code = 0;
        ::GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

private:
    TempFolder folder_;
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};

const std::string Finished = Native("抽出を終了しました。");

// A copy stopped inside its call removes its temporary file (named "~...") when the call
// returns, a moment after the abort has restored the form: waits for that, at most 30 s,
// running `eachLook` before every look (to let held reads go).
bool NoTemporaryFileUnder(const std::string& folder, const std::function<void()>& eachLook = {}) {
    return drive::WaitUntil(
        [&] {
            if (eachLook) eachLook();
            for (const std::string& name : FilesUnder(folder)) {
                if (name.substr(name.rfind('/') + 1).starts_with('~')) return false;
            }
            return true;
        },
        30000);
}

TEST(WindowRun, AFullRunOverATreeShowsThePreviousRunBlock) {
    TempFolder source, destination;
    WriteBytes(source / "a/x.png", TinyPng(300, 300));
    WriteBytes(source / "b/x.png", TinyPng(40, 40, 100));  // same name, other size: x(1).png
    WriteBytes(source / "d/x.png", TinyPng(300, 300));     // same name and size: not again
    WriteSized(source / "c/y.jpg", 3000);                  // not a picture: side 1, copied
    WriteText(source / "c/notes.txt", "not listed");
    Program program;
    program.Set(EdtSource, source.Path());
    program.Set(EdtDestination, destination.Path());
    program.Press(BtnRun);
    ASSERT_TRUE(program.LogHas(Finished));

    const std::string log = program.Text(EdtLog);
    const std::string firstLines = Native("直前の処理") + "\r\n" + std::string(40, '-') + "\r\n" +
                                   source.Path() + "\r\n" +
                                   Native("抽出ファイルが4個見つかりました。") + "\r\n";
    EXPECT_EQ(log.rfind(firstLines, 0), 0u) << log;
    EXPECT_NE(log.find(Native("重複ファイル：2個\r\nファイル縦横サイズ閾値設定：なし\r\n実際に保存"
                              "されたファイル数：3個（※同名かつ同サイズのファイルは上書きしません"
                              "）\r\n\r\n抽出を終了しました。")),
              std::string::npos)
        << log;
    EXPECT_EQ(Occurrences(log, Native("直前の処理")), 1u);
    EXPECT_EQ(FilesUnder(destination.Path()),
              (std::vector<std::string>{"x(1).png", "x.png", "y.jpg"}));
    EXPECT_EQ(ReadBytes(destination / "x(1).png"), TinyPng(40, 40, 100));
    EXPECT_EQ(program.Text(BtnExit), Native("終了"));
    EXPECT_TRUE(::IsWindowEnabled(program.Item(BtnRun)));
    EXPECT_FALSE(::IsWindowVisible(program.Item(PrgProgress)));
}

TEST(WindowRun, EveryLabelAndButtonReadsBackInJapanese) {
    // Read from outside with the wide messages, under whatever ANSI code page the test runs:
    // the window holds the Japanese itself, not a code page's bytes of it.
    Program program;
    EXPECT_EQ(drive::TextOf(program.Main()), "てっせる！");
    for (const Caption& c : FormCaptions) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(program.Text(c.id), c.text);
    }
    EXPECT_EQ(program.Text(EdtExtensions), "jpeg,jpg,gif,png,bmp");
    EXPECT_EQ(program.Text(StatusBar),
              "抽出元フォルダとコピー先を指定し、実行ボタンを押してください。");

    program.Post(MenuAbout);
    HWND about = drive::WaitForShown(DialogClassName, 20000, program.Id());
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(drive::TextOf(about), "バージョン情報");
    const Caption aboutShown[] = {
        {LblAboutName, "てっせる！"},
        {LblAboutVersion, "Version 2.32"},
        {BtnAboutOk, "OK"},
        {LblAboutAuthor, "製作者：てっせる！開発チーム"},
    };
    for (const Caption& c : aboutShown) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(drive::TextOf(::GetDlgItem(about, c.id)), c.text);
    }
    drive::Press(about, BtnAboutOk);
    EXPECT_TRUE(drive::WaitUntil([&] { return !::IsWindow(about); }, 20000));
}

TEST(WindowRun, AManualBoundAnsweredInTheDialog) {
    TempFolder source, destination;
    for (const std::uint32_t side : {100u, 249u, 250u, 251u, 300u, 640u}) {
        WriteBytes(source / ("p" + std::to_string(side) + ".png"), TinyPng(side, side));
    }
    Program program;
    program.Set(EdtSource, source.Path());
    program.Set(EdtDestination, destination.Path());
    program.Check(RadThresholdManual);
    program.Press(BtnRun);
    HWND dialog = drive::WaitForShown(DialogClassName, 20000, program.Id());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(drive::TextOf(dialog), Native("下限閾値を設定してください"));
    // While the question is open the log stands at the calculating line.
    EXPECT_NE(program.Text(EdtLog).find(Native("合計ファイルサイズと重複ファイル数を算出中")),
              std::string::npos);
    ASSERT_TRUE(drive::SetText(::GetDlgItem(dialog, 1028), "250"));
    drive::Press(dialog, 1030);  // 設定する
    ASSERT_TRUE(program.LogHas(Finished));
    const std::string log = program.Text(EdtLog);
    EXPECT_NE(log.find(Native("抽出するファイル縦横サイズの下限：手動設定[ 250x250 Pixel ]")),
              std::string::npos)
        << log;
    EXPECT_EQ(FilesUnder(destination.Path()),
              (std::vector<std::string>{"p251.png", "p300.png", "p640.png"}));
}

void WriteWide(const std::wstring& path, std::size_t size) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::string bytes(size, 'w');
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(size), &written, nullptr);
    ::CloseHandle(file);
}

std::vector<std::wstring> WideNamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(WindowRun, NamesCodePage932CannotWriteAreCopiedByTheirRealNames) {
    // A source folder and a destination whose names code page 932 cannot write, typed and
    // read back with the wide calls; inside, more such names, and a file far below
    // MAX_PATH's reach.
    TempFolder temp;
    const std::string source = temp / "café 사진 😀";
    const std::string destination = temp / "宛先 été 한글 🎉";
    const std::wstring wsource = WideOf(source);
    ASSERT_TRUE(::CreateDirectoryW(WideOf(destination).c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(wsource.c_str(), nullptr));
    for (const wchar_t* name :
         {L"café.jpg", L"한국.png", L"emoji😀.gif", L"日本.jpg", L"plain.jpg"}) {
        WriteWide(wsource + L"\\" + name, 10);
    }
    ASSERT_TRUE(::CreateDirectoryW((wsource + L"\\b").c_str(), nullptr));
    WriteWide(wsource + L"\\b\\한국.png", 20);  // same name, other size: 한국(1).png
    std::wstring deep = L"\\\\?\\" + wsource;
    while (deep.size() < 320) {
        deep += L"\\" + std::wstring(40, L'd');
        ASSERT_TRUE(::CreateDirectoryW(deep.c_str(), nullptr));
    }
    WriteWide(deep + L"\\deep.jpg", 30);

    Program program;
    program.Set(EdtSource, source);
    program.Set(EdtDestination, destination);
    EXPECT_EQ(program.Text(EdtSource), source);
    EXPECT_EQ(program.Text(EdtDestination), destination);
    program.Press(BtnRun);
    ASSERT_TRUE(program.LogHas(Finished));
    const std::string log = program.Text(EdtLog);
    ExpectRunLog(log, source, 7);
    EXPECT_EQ(program.Text(EdtDestination), destination);
    EXPECT_EQ(WideNamesIn(WideOf(destination)),
              (std::vector<std::wstring>{L"café.jpg", L"deep.jpg", L"emoji😀.gif", L"plain.jpg",
                                         L"日本.jpg", L"한국(1).png", L"한국.png"}));
}

TEST(WindowRun, InvalidFoldersAndTheCreationQuestion) {
    TempFolder source, parent;
    WriteBytes(source / "p.png", TinyPng(10, 10));
    const std::string sourceInvalid = Native("抽出元フォルダの指定が不正です。");
    const std::string destinationInvalid = Native("コピー先フォルダの指定が不正です。");
    const std::string question = Native("コピー先フォルダは存在しません。作成しますか？");
    Program program;
    const std::string before = program.Text(EdtLog);

    // The source is looked at first, even when the destination is bad too.
    program.Set(EdtSource, "");
    program.Set(EdtDestination, "nowhere");
    program.Press(BtnRun);
    EXPECT_EQ(program.AnswerMessage(IDOK), sourceInvalid);
    program.Set(EdtSource, source / "p.png");  // a file is no folder
    program.Press(BtnRun);
    EXPECT_EQ(program.AnswerMessage(IDOK), sourceInvalid);

    program.Set(EdtSource, source.Path());
    const struct {
        const char* what;
        std::string destination;
    } invalid[] = {
        {"one word", "nowhere"},
        {"parent missing", parent / "gone/new"},
        {"trailing backslash on a file's name", source / "p.png\\"},
    };
    for (const auto& c : invalid) {
        SCOPED_TRACE(c.what);
        program.Set(EdtDestination, c.destination);
        program.Press(BtnRun);
        EXPECT_EQ(program.AnswerMessage(IDOK), destinationInvalid);  // no question first
    }

    const std::string created = parent / "new";
    program.Set(EdtDestination, created);
    program.Press(BtnRun);
    EXPECT_EQ(program.AnswerMessage(IDNO), question);
    EXPECT_EQ(program.AnswerMessage(IDOK), destinationInvalid);
    EXPECT_EQ(::GetFileAttributesA(created.c_str()), INVALID_FILE_ATTRIBUTES);
    // Nothing started: the form is as it was.
    EXPECT_EQ(program.Text(BtnExit), Native("終了"));
    EXPECT_EQ(program.Text(EdtLog), before);

    // A second Run checks everything again and, on yes, makes the one missing level.
    program.Press(BtnRun);
    EXPECT_EQ(program.AnswerMessage(IDYES), question);
    ASSERT_TRUE(program.LogHas(Finished));
    EXPECT_TRUE(program.NoMessageBox());
    EXPECT_EQ(FilesUnder(created), std::vector<std::string>{"p.png"});
}

TEST(WindowRun, AbortDuringTheSearch) {
    TempFolder source, destination;
    for (int i = 0; i < 300; ++i) {
        WriteText(source / ("f" + std::to_string(i % 20) + "/g" + std::to_string(i) + "/a.png"),
                  "x");
    }
    Program program;
    program.Set(EdtSource, source.Path());
    program.Set(EdtDestination, destination.Path());
    // Both land in the window's queue at once: the abort comes while the search starts.
    program.Press(BtnRun);
    program.Press(BtnExit);
    ASSERT_TRUE(program.LogHas(Native("直前の処理"), 10000));
    EXPECT_EQ(program.Text(BtnExit), Native("終了"));
    const std::string log = program.Text(EdtLog);
    EXPECT_EQ(log.rfind(Native("直前の処理"), 0), 0u) << log;
    // What the log showed at the abort, even if the worker had not written a word yet.
    EXPECT_NE(log.find(source.Path() + "\r\n" + Native("抽出ファイルを検索しています･･･")),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find(Finished), std::string::npos);
    for (int i = 0; i < 3; ++i) program.Tick();
    EXPECT_EQ(program.Text(EdtLog), log);
    EXPECT_EQ(Occurrences(program.Text(EdtLog), Native("直前の処理")), 1u);
    EXPECT_TRUE(FilesUnder(destination.Path()).empty());
}

TEST(WindowRun, AbortDuringTheCopyOfLargeFiles) {
    // The source lies on a disk that stops answering 1 MiB into b.zip: the abort comes while
    // that copy is under way on every machine, and the window answers while the read waits.
    HeldDisk disk;
    if (!disk.Available()) GTEST_SKIP() << "needs the suite's hold file system (ctest mounts it)";
    TempFolder destination;
    constexpr LONGLONG Size = 8LL << 20;
    for (const char* name : {"a.zip", "b.zip", "c.zip"}) WriteSparse(disk.Backing(name), Size);
    disk.Hold("b.zip", 1 << 20);
    Program program;
    program.Choose(CmbKind, 1);  // 圧縮ファイル
    program.Set(EdtSource, disk.Path());
    program.Set(EdtDestination, destination.Path());
    program.Press(BtnRun);
    ASSERT_TRUE(disk.WaitUntilHeld()) << "the copy of b.zip never got under way";
    // With calls in flight a.zip may still travel beside the held read; it is placed first.
    ASSERT_TRUE(drive::WaitUntil([&] { return FileSize(destination / "a.zip") == Size; }, 30000));
    program.Press(BtnExit);
    ASSERT_TRUE(program.LogHas(Native("直前の処理"), 10000));
    EXPECT_EQ(program.Text(BtnExit), Native("終了"));
    EXPECT_TRUE(program.Answers());
    EXPECT_EQ(disk.Held(), 1) << "the window waited for the held read";
    for (int i = 0; i < 3; ++i) program.Tick();
    const std::string log = program.Text(EdtLog);
    EXPECT_EQ(log.rfind(Native("直前の処理"), 0), 0u) << log;
    EXPECT_EQ(Occurrences(log, Native("直前の処理")), 1u);
    EXPECT_EQ(log.find(Finished), std::string::npos);

    disk.EndHolds();
    ASSERT_TRUE(NoTemporaryFileUnder(destination.Path()));
    // The mount lists names sorted: a.zip was copied whole before b.zip, and nothing after.
    EXPECT_EQ(FilesUnder(destination.Path()), std::vector<std::string>{"a.zip"});
    EXPECT_EQ(FileSize(destination / "a.zip"), Size);
    EXPECT_EQ(program.Text(EdtLog), log);
}

TEST(WindowRun, ClosingWhileTheDiskHoldsARead) {
    // The window goes at once; the process ends once the stopped copy's read returns (the
    // system holds a process while one of its threads is in such a read), without a file.
    HeldDisk disk;
    if (!disk.Available()) GTEST_SKIP() << "needs the suite's hold file system (ctest mounts it)";
    TempFolder destination;
    WriteSized(disk.Backing("held.bmp"), 4u << 20, 'h');
    disk.Hold("held.bmp", 1 << 20);
    Program program;
    program.Set(EdtSource, disk.Path());
    program.Set(EdtDestination, destination.Path());
    program.Press(BtnRun);
    ASSERT_TRUE(disk.WaitUntilHeld()) << "the copy never got under way";
    HWND main = program.Main();
    program.Close();
    EXPECT_TRUE(drive::WaitUntil([&] { return !::IsWindow(main); }, 10000));
    EXPECT_EQ(disk.Held(), 1);
    disk.EndHolds();
    EXPECT_EQ(program.WaitForExit(30000), 0u);
    EXPECT_TRUE(FilesUnder(destination.Path()).empty());
}

TEST(WindowRun, MenuExitDuringARunEndsTheProgramCleanly) {
    TempFolder source, destination;
    constexpr LONGLONG Size = 384LL << 20;
    for (const char* name : {"a.zip", "b.zip"}) WriteSparse(source / name, Size);
    Program program;
    program.Choose(CmbKind, 1);
    program.Set(EdtSource, source.Path());
    program.Set(EdtDestination, destination.Path());
    program.Press(BtnRun);
    ASSERT_TRUE(program.LogHas(Native("重複ファイル：0個")));
    program.Post(MenuExit);
    EXPECT_EQ(program.WaitForExit(20000), 0u);
    for (const std::string& name : FilesUnder(destination.Path())) {
        SCOPED_TRACE(name);
        EXPECT_EQ(FileSize(destination / name), Size);
    }
}

TEST(WindowRun, ClosingInEachPhaseEndsCleanlyAndLeavesNothingPartial) {
    constexpr LONGLONG Size = 256LL << 20;
    const struct {
        const char* phase;
        bool byMenu;
    } cases[] = {
        {"search", false}, {"search", true}, {"bound", false},
        {"bound", true},   {"copy", false},  {"copy", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.phase) + (c.byMenu ? " by the menu" : " by the close box"));
        TempFolder source, destination;
        for (const char* name : {"a.bmp", "b.bmp"}) WriteSparse(source / name, Size);
        WriteBytes(source / "small.png", TinyPng(500, 500));
        Program program;
        program.Set(EdtSource, source.Path());
        program.Set(EdtDestination, destination.Path());
        const std::string phase = c.phase;
        if (phase == "bound") program.Check(RadThresholdManual);
        program.Press(BtnRun);
        if (phase == "bound") {
            ASSERT_NE(drive::WaitForShown(DialogClassName, 20000, program.Id()), nullptr);
        } else if (phase == "copy") {
            ASSERT_TRUE(program.LogHas(Native("重複ファイル：0個")));
        }
        // In the search the close lands right behind the Run in the window's queue.
        if (c.byMenu) {
            program.Post(MenuExit);
        } else {
            program.Close();
        }
        EXPECT_EQ(program.WaitForExit(20000), 0u);
        for (const std::string& name : FilesUnder(destination.Path())) {
            SCOPED_TRACE(name);
            const LONGLONG whole = name == "small.png" ? LONGLONG(TinyPng(500, 500).size()) : Size;
            EXPECT_EQ(FileSize(destination / name), whole);
        }
    }
}

TEST(WindowRun, TwentyAbortsAtRandomMomentsLeaveOnlyWholeCopies) {
    // Two large pictures and many small ones on a disk that stops answering inside the copy
    // of the last file of the search's order (the mount lists names sorted): no run can end
    // before its abort, which comes when the bar reaches a point drawn at random (the search,
    // a large copy, the small ones). The points come from a fixed seed: a failure replays.
    HeldDisk disk;
    if (!disk.Available()) GTEST_SKIP() << "needs the suite's hold file system (ctest mounts it)";
    std::vector<std::string> names;
    std::vector<std::string> origins;
    auto add = [&](const std::string& relative, std::uint64_t size, std::uint8_t seed) {
        names.push_back(relative.substr(relative.rfind('/') + 1));
        origins.push_back(disk.Backing(relative));
        WriteSized(origins.back(), size, seed);
    };
    for (int i = 0; i < 2; ++i) {
        add("big/large" + std::to_string(i) + ".bmp", 8u << 20, static_cast<std::uint8_t>(i));
    }
    for (int i = 0; i < 200; ++i) {
        add("d" + std::to_string(i % 6) + "/small" + std::to_string(i) + ".png", 1000 + 37 * i,
            static_cast<std::uint8_t>(i));
    }
    add("zz/last.bmp", 2u << 20, 'z');
    disk.Hold("last.bmp", 512 << 10);
    auto origin = [&](const std::string& name) {
        return origins[static_cast<std::size_t>(std::find(names.begin(), names.end(), name) -
                                                names.begin())];
    };
    Program program;
    program.Set(EdtSource, disk.Path());
    std::uint32_t random = 12345;
    for (int run = 0; run < 20; ++run) {
        TempFolder destination;
        program.Set(EdtDestination, destination.Path());
        program.Press(BtnRun);
        ASSERT_TRUE(
            drive::WaitUntil([&] { return program.Text(BtnExit) == Native("中断"); }, 10000));
        random = random * 1103515245u + 12345u;
        const int at = static_cast<int>((random >> 16) % 100);
        SCOPED_TRACE("run " + std::to_string(run) + ", abort at " + std::to_string(at) + "%");
        ASSERT_TRUE(drive::WaitUntil([&] { return program.Progress() >= at; }, 60000));
        // The run cannot be over: its last file's copy is held. Pressed after the run's end
        // the button would close the program.
        ASSERT_EQ(program.Text(BtnExit), Native("中断"));
        program.Press(BtnExit);
        ASSERT_TRUE(
            drive::WaitUntil([&] { return program.Text(BtnExit) == Native("終了"); }, 15000));
        program.Tick();  // the tick that ends the aborted run
        EXPECT_EQ(Occurrences(program.Text(EdtLog), Native("直前の処理")), 1u);
        // A stopped copy of the last file sees its stop once its read returns; it may still
        // be on its way into the held part of the file, so every read is let go as it comes.
        ASSERT_TRUE(NoTemporaryFileUnder(destination.Path(), [&] { disk.Release(); }));
        for (const std::string& name : FilesUnder(destination.Path())) {
            SCOPED_TRACE(name);
            ASSERT_NE(std::find(names.begin(), names.end(), name), names.end());
            EXPECT_NE(name, "last.bmp");
            EXPECT_EQ(ReadBytes(destination / name), ReadBytes(origin(name)));
        }
    }
}

}  // namespace
}  // namespace tessel::test
