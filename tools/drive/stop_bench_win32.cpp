// tools/drive/stop_bench_win32.cpp: the window over a disk that stops answering, timed from a
// second process: Tessel.exe copies from the hold file system (tests/support/hold_fs.py,
// mounted by tools/bench/stuck_disk.sh), whose reads of one file wait from 1 MiB on; while
// such a read is held the bench presses "中断" and times how long the window takes to
// handle it (the press is sent, so it returns when the window has restored the form), and
// then how soon the window answers a message. Median and worst of the rounds; target 200 ms
// for the first, 500 ms for the second. Not a test: nothing here passes or fails.
//
//   stop_bench.exe TESSEL_EXE [rounds]      (TESSEL_HOLD_FS names the mount's folder)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "app/form_table.h"
#include "e2e/held_disk.h"
#include "files/os/unique_handle_win32.h"
#include "files/os/wide_path_win32.h"
#include "remote_window.h"
#include "support/test_support.h"

namespace {

using namespace tessel;

double Since(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

void Print(const char* what, std::vector<double> ms, int target) {
    std::sort(ms.begin(), ms.end());
    const std::size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    std::printf("%-36s median %7.2f ms, worst %7.2f ms (%zu rounds; target <= %d ms)\n", what,
                median, ms.back(), n, target);
}

bool Fail(const char* what) {
    std::fprintf(stderr, "stop_bench: %s\n", what);
    return false;
}

bool Bench(const std::string& program, int rounds) {
    test::HeldDisk disk;
    if (!disk.Available()) return Fail("TESSEL_HOLD_FS names no mount");
    test::WriteSized(disk.Backing("held.bmp"), 8u << 20, 'h');
    disk.Hold("held.bmp", 1 << 20);

    test::TempFolder folder;
    const std::string exe = folder / "Tessel.exe";
    if (!::CopyFileW(os::WidePath(program).c_str(), os::WidePath(exe).c_str(), TRUE)) {
        return Fail("cannot copy the program");
    }
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.Path().c_str(), &startup, &started)) {
        return Fail("cannot start the program");
    }
    const os::UniqueKernelHandle process(started.hProcess);
    const os::UniqueKernelHandle thread(started.hThread);
    HWND main = drive::WaitForShown(MainClassName, 60000, started.dwProcessId);
    if (main == nullptr || !drive::SetText(::GetDlgItem(main, EdtSource), disk.Path())) {
        return Fail("the window did not come");
    }

    std::vector<double> aborts, answers;
    for (int round = 0; round < rounds; ++round) {
        test::TempFolder destination;
        if (!drive::SetText(::GetDlgItem(main, EdtDestination), destination.Path())) {
            return Fail("the destination was not taken");
        }
        // One read of the program's is many of the file system's: each counts.
        const int before = disk.Held();
        drive::Press(main, BtnRun);
        if (!disk.WaitUntilHeld(before + 1)) return Fail("the copy never got under way");
        DWORD_PTR ignored = 0;
        LARGE_INTEGER start;
        ::QueryPerformanceCounter(&start);
        ::SendMessageTimeoutA(main, WM_COMMAND, MAKEWPARAM(BtnExit, BN_CLICKED),
                              reinterpret_cast<LPARAM>(::GetDlgItem(main, BtnExit)), SMTO_NORMAL,
                              120000, &ignored);
        aborts.push_back(Since(start));
        ::QueryPerformanceCounter(&start);
        ::SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &ignored);
        answers.push_back(Since(start));
        if (disk.Held() != before + 1) return Fail("the read was not held through the abort");
        // Let the stopped copy go, and wait until it has removed its temporary file.
        const bool gone = drive::WaitUntil(
            [&] {
                disk.Release();
                return test::FilesUnder(destination.Path()).empty();
            },
            60000);
        if (!gone) return Fail("the stopped copy left a file");
    }
    ::PostMessageA(main, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(process.Get(), 30000);
    Print("Abort pressed -> the form restored", aborts, 200);
    Print("then a message answered", answers, 500);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: stop_bench TESSEL_EXE [rounds]\n", stderr);
        return 2;
    }
    return Bench(argv[1], argc > 2 ? std::atoi(argv[2]) : 20) ? 0 : 1;
}
