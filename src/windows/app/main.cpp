// The Windows program's start: for now it starts and ends. The window, its message loop and
// the two catch points come with the main window.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
