// A minimal stand-in for the DLL start-up of MSVC's static runtime (msvcrt.lib): the entry
// point runs the DLL's static constructors before its DllMain. With minicrt.cpp (whose atexit
// is the process's), enough to link a DLL against wine's runtime and load it.
#include <windows.h>
extern "C" {
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID);
typedef void(__cdecl* _PVFV)(void);
void __cdecl _initterm(_PVFV*, _PVFV*);
}
extern _PVFV __xc_a[], __xc_z[];  // minicrt.cpp
// A DLL without a DllMain of its own gets one that accepts every call, as from msvcrt.lib.
extern "C" BOOL WINAPI __kit_default_DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#pragma comment(linker, "/alternatename:DllMain=__kit_default_DllMain")
extern "C" BOOL WINAPI _DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) _initterm(__xc_a, __xc_z);
  return DllMain(instance, reason, reserved);
}
