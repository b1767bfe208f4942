// The framework's header for the one source of an extension DLL that holds its
// DllMain: it defines the DLL's raw entry point and the pointer the runtime
// calls it through, as the framework's own does. A second source that includes
// it defines them again, and the DLL does not link.
#pragma once

#include <afxwin.h>

#if defined(_AFXDLL)
extern "C" BOOL WINAPI RawDllMain(HINSTANCE, DWORD, LPVOID);
extern "C" BOOL(WINAPI* const _pRawDllMain)(HINSTANCE, DWORD, LPVOID) = &RawDllMain;
extern "C" BOOL WINAPI RawDllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif
