// The DLL's entry routine. The library has nothing to set up or tear down,
// so every notification (process and thread, attach and detach) succeeds.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
