// Load and unload handling of the library's DLL. Built for a host on the
// application framework (GPENC_EXTENSION_MODULE), the library joins the
// framework's module chain at load, so that the host finds its classes and
// resources there, and leaves it at unload; otherwise loading needs nothing.
#if defined(_WIN32)
#  include "core/HostSeam.h"  // before <windows.h>, as a framework header must be

#  include <windows.h>

#  if defined(GPENC_EXTENSION_MODULE)
// The framework's raw entry point: defined by this header, so in this source
// alone, the one with DllMain (never in the host header, which every source
// includes).
#    include <afxdllx.h>

namespace {
AFX_EXTENSION_MODULE g_module = {};
bool g_registered = false;  // so that a failed load undoes nothing it did not do
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        if (!AfxInitExtensionModule(g_module, instance)) return FALSE;
        // The framework keeps it in its chain and deletes it at termination.
        new CDynLinkLibrary(g_module);
        g_registered = true;
    } else if (reason == DLL_PROCESS_DETACH && g_registered) {
        g_registered = false;
        AfxTermExtensionModule(g_module);
    }
    return TRUE;
}
#  else
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#  endif
#endif
