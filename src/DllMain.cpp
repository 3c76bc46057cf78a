// The DLL's entry routine. Loading Zalvo needs no set-up of its own, and the
// library starts no thread and keeps nothing per thread, so the only thing
// done here is to turn off the thread attach and detach notifications that
// every thread the host starts would otherwise deliver to this routine.
// This is the library's only use of the operating system.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}
