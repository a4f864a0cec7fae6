// cli/console_win32.cpp: the Windows console. The arguments come from the wide command
// line; every text goes out in the console's output code page (the ANSI code page when there
// is no console), so what the console shows is what it can show, with "?" for the rest; the
// question is read from the console's input. Ctrl-C, Ctrl-Break and the console's closing
// reach the command's loop through SetConsoleCtrlHandler.
#include <windows.h>
// CommandLineToArgvW
#include <shellapi.h>

#include <atomic>

#include "cli/console.h"
#include "files/os/unique_handle_win32.h"

namespace tessel::cli {
namespace {

struct EventTraits {
    using Raw = HANDLE;
    static Raw Invalid() { return nullptr; }
    static bool Close(Raw h) { return ::CloseHandle(h) != 0; }
};
using UniqueEvent = os::UniqueHandle<EventTraits>;

struct ArgvTraits {
    using Raw = LPWSTR*;
    static Raw Invalid() { return nullptr; }
    static bool Close(Raw h) { return ::LocalFree(h) == nullptr; }
};

std::u16string Utf16Of(std::wstring_view wide) {
    return std::u16string(wide.begin(), wide.end());
}

// `text` in UTF-16. Code page 932 is taken leniently here: a status text may end inside a
// double-byte character, cut where the window would cut it, and the rest must still show.
std::wstring WideOf(std::string_view text, CodePage from) {
    if (from == CodePage::Utf8) {
        const std::u16string wide = Utf8ToUtf16(text);
        return std::wstring(wide.begin(), wide.end());
    }
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(932, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    ::MultiByteToWideChar(932, 0, text.data(), size, wide.data(), length);
    return wide;
}

// `wide` in code page `cp`: "?" for each character it lacks, never a best-fit look-alike.
std::string InCodePage(std::wstring wide, UINT cp) {
    if (wide.empty()) return {};
    DWORD flags = 0;
    const char* fallback = nullptr;
    if (cp != CP_UTF8) {
        // One "?" for a character beyond U+FFFF, not one for each of its two halves.
        std::wstring single;
        for (std::size_t i = 0; i < wide.size(); ++i) {
            const bool pair = wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size() &&
                              wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF;
            single += pair ? L'?' : wide[i];
            if (pair) ++i;
        }
        wide = std::move(single);
        flags = WC_NO_BEST_FIT_CHARS;
        fallback = "?";
    }
    const int size = static_cast<int>(wide.size());
    int length = ::WideCharToMultiByte(cp, flags, wide.data(), size, nullptr, 0, fallback, nullptr);
    if (length == 0 && ::GetLastError() == ERROR_INVALID_FLAGS) {
        // Some code pages (the ISO-2022 family, UTF-7) take no flags and no fallback.
        flags = 0;
        fallback = nullptr;
        length = ::WideCharToMultiByte(cp, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    }
    std::string out(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    ::WideCharToMultiByte(cp, flags, wide.data(), size, out.data(), length, fallback, nullptr);
    return out;
}

bool IsConsole(DWORD which) {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(which), &mode) != 0;
}

// The handler runs on a thread of its own; the command's loop waits on `stop` and `ended`.
struct Control {
    UniqueEvent stop{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    UniqueEvent ended{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    UniqueEvent stopped{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<StopRequests::Event> event{StopRequests::Event::Tick};
};

Control& TheControl() {
    static Control control;
    return control;
}

BOOL WINAPI OnControl(DWORD type) {
    Control& control = TheControl();
    switch (type) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            control.event = StopRequests::Event::Interrupted;
            ::SetEvent(control.stop.Get());
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            // The process ends when this returns (at the latest 5 s after the event): wait
            // until the run is stopped and its partial copy removed.
            control.event = StopRequests::Event::Terminated;
            ::SetEvent(control.stop.Get());
            ::WaitForSingleObject(control.stopped.Get(), 4500);
            return TRUE;
        default: return FALSE;
    }
}

}  // namespace

std::vector<std::string> Arguments(int, char**) {
    int count = 0;
    const os::UniqueHandle<ArgvTraits> argv(::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::string> arguments;
    for (int i = 0; argv && i < count; ++i)
        arguments.push_back(Utf16ToUtf8(Utf16Of(argv.Get()[i])));
    return arguments;
}

void Write(Stream stream, std::string_view text, CodePage from) {
    UINT cp = ::GetConsoleOutputCP();
    if (cp == 0) cp = ::GetACP();  // no console: the ANSI code page
    const std::string bytes = InCodePage(WideOf(text, from), cp);
    HANDLE out = ::GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD put = 0;
        if (!::WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &put,
                         nullptr) ||
            put == 0) {
            return;
        }
        done += put;
    }
}

bool InputIsInteractive() {
    return IsConsole(STD_INPUT_HANDLE);
}

bool ErrorIsInteractive() {
    return IsConsole(STD_ERROR_HANDLE);
}

std::string ReadLine() {
    wchar_t line[64] = {};
    DWORD got = 0;
    if (!::ReadConsoleW(::GetStdHandle(STD_INPUT_HANDLE), line, 63, &got, nullptr)) return {};
    return Utf16ToUtf8(Utf16Of(std::wstring_view(line, got)));
}

void LetCopiesFailAtTheFileSizeLimit() {}

StopRequests::StopRequests() {
    // A parent may have started us ignoring Ctrl-C (a new process group does): take it back.
    ::SetConsoleCtrlHandler(nullptr, FALSE);
    ::SetConsoleCtrlHandler(OnControl, TRUE);
}

StopRequests::~StopRequests() {
    ::SetConsoleCtrlHandler(OnControl, FALSE);
}

std::function<void()> StopRequests::EndNotice() const {
    return [] { ::SetEvent(TheControl().ended.Get()); };
}

StopRequests::Event StopRequests::Wait(std::chrono::milliseconds period) {
    Control& control = TheControl();
    const HANDLE events[] = {control.stop.Get(), control.ended.Get()};
    switch (::WaitForMultipleObjects(2, events, FALSE, static_cast<DWORD>(period.count()))) {
        case WAIT_OBJECT_0: return control.event;
        case WAIT_OBJECT_0 + 1: return Event::Ended;
        default: return Event::Tick;
    }
}

void StopRequests::Stopped() {
    ::SetEvent(TheControl().stopped.Get());
}

bool GraceEndsTheProcess() {
    return true;
}

void EndProcessNow(int code) {
    // The temporary file of a copy still inside a call is marked for deletion with its
    // handle: the system removes it as the process goes.
    ::ExitProcess(static_cast<UINT>(code));
}

}  // namespace tessel::cli
