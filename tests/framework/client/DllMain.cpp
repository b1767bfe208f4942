// The client DLL's own entry source, as the framework's wizard writes it: the
// host header, then <afxdllx.h>, which defines the DLL's raw entry point and so
// belongs in this one source.
#include "gpenc_host.h"

#include <afxdllx.h>

#if defined(_WIN32)
static AFX_EXTENSION_MODULE g_clientModule = {};

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        if (!AfxInitExtensionModule(g_clientModule, instance)) return FALSE;
        new CDynLinkLibrary(g_clientModule);
    } else if (reason == DLL_PROCESS_DETACH) {
        AfxTermExtensionModule(g_clientModule);
    }
    return TRUE;
}
#endif
