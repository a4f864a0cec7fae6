// app/winmain_win32.cpp: the program's entry. Arguments are never read.
#include <windows.h>

#include "app/shell_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return tessel::RunProgram(::GetModuleHandleA(nullptr));
}
