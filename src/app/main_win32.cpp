// app/main_win32.cpp: program entry. (Being built: the window comes next.)
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
