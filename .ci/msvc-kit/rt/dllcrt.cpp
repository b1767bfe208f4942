// A stand-in for the DLL start-up of MSVC's runtime (msvcrt.lib's _DllMainCRTStartup): on load,
// the module's own atexit table (minicrt.cpp) and its static constructors, then its DllMain; on
// unload, its DllMain, then that table in reverse (its static objects' destructors among them).
#include <windows.h>
extern "C" {
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID);
typedef void(__cdecl* _PVFV)(void);
struct __kit_onexit_table;
void __cdecl _initterm(_PVFV*, _PVFV*);
int __cdecl _initialize_onexit_table(__kit_onexit_table*);
int __cdecl _execute_onexit_table(__kit_onexit_table*);
extern __kit_onexit_table __kit_module_onexit;  // minicrt.cpp
extern int __kit_is_dll;
}
extern _PVFV __xc_a[], __xc_z[];  // minicrt.cpp
// A DLL without a DllMain of its own gets one that accepts every call, as from msvcrt.lib.
extern "C" BOOL WINAPI __kit_default_DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#pragma comment(linker, "/alternatename:DllMain=__kit_default_DllMain")
extern "C" BOOL WINAPI _DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    __kit_is_dll = 1;
    if (_initialize_onexit_table(&__kit_module_onexit) != 0) return FALSE;
    _initterm(__xc_a, __xc_z);
    if (!DllMain(instance, reason, reserved)) {
      _execute_onexit_table(&__kit_module_onexit);
      return FALSE;
    }
    return TRUE;
  }
  BOOL result = DllMain(instance, reason, reserved);
  if (reason == DLL_PROCESS_DETACH) _execute_onexit_table(&__kit_module_onexit);
  return result;
}
