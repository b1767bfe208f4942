// Load and unload handling of the library. On Windows the original build
// registered itself with the host's application framework here; this build has
// no framework, so there is nothing to register and nothing to undo.
#if defined(_WIN32)
#  include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif
