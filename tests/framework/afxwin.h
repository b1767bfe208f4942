// The application framework the client is built on, in the shapes of its
// <afxwin.h>, for the tests of the library's host seam: a CObject root with a
// virtual destructor and state, CException in the framework's shapes (BOOL,
// LPTSTR, UINT, PUINT; no constructor that takes a message; GetErrorMessage in
// both of its overloads), and the module-registration calls, which count what
// they are given. TCHAR follows UNICODE as <windows.h> has it: wchar_t, or
// char for an MBCS client. The client's session store and logger have headers
// of their own (VadroBase/SessionData.h, Log/Log.h); afxdllx.h defines the
// DLL's raw entry point, as the framework's does.
#pragma once

// The framework's own rules, enforced as its headers enforce them, with its
// words. <windows.h> must come after the framework's headers (MinGW-w64's
// defines _WINDOWS_, wine's _INC_WINDOWS).
#if defined(_WINDOWS_) || defined(_INC_WINDOWS)
#  error WINDOWS.H already included.  MFC apps must not #include <windows.h>
#endif

#include <cstddef>
#include <cstdlib>

// The DLL runtime needs the framework's DLL build. Checked after the C++
// library's headers: cl.exe defines _DLL for /MD before the first line,
// MinGW-w64's runtime headers define it themselves (its runtime is always the DLL).
#if defined(_DLL) && !defined(_AFXDLL)
#  error Building MFC application with /MD[d] (CRT dll version) requires MFC shared dll version. Please #define _AFXDLL or do not use /MD[d]
#endif

#if defined(_WIN32)
// As the framework's own headers do: the C and C++ library's headers first,
// then <windows.h> without NOMINMAX, so its min and max macros are about.
#  include <windows.h>
#  if defined(FRAMEWORK_BUILDING)
#    define FRAMEWORK_API __declspec(dllexport)
#  else
#    define FRAMEWORK_API __declspec(dllimport)
#  endif
#else
#  define FRAMEWORK_API __attribute__((visibility("default")))
typedef int BOOL;
typedef unsigned int UINT;
typedef UINT* PUINT;
#  if defined(UNICODE)
typedef wchar_t TCHAR;
#  else
typedef char TCHAR;
#  endif
typedef TCHAR* LPTSTR;
typedef unsigned long DWORD;
typedef void* LPVOID;
typedef void* HMODULE;
typedef HMODULE HINSTANCE;
#  define TRUE 1
#  define FALSE 0
#  define WINAPI
#endif

class FRAMEWORK_API CObject {
public:
    virtual ~CObject();

protected:
    CObject();

private:
    void* m_pReserved;  // so that a derived object's bases do not start at its vtable
};

// Thrown and caught by pointer; whoever catches one releases it with Delete().
class FRAMEWORK_API CException : public CObject {
public:
    explicit CException(BOOL bAutoDelete = TRUE);
    ~CException() override;

    // The base class has no message: it writes an empty text and answers FALSE.
    // The framework declares it twice, const and not; the second calls the first.
    virtual BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = NULL) const;
    virtual BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = NULL);
    void Delete();

protected:
    BOOL m_bAutoDelete;
};

// Module registration of an extension DLL.
struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
};
FRAMEWORK_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule);
FRAMEWORK_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll = FALSE);

// A module's entry in the framework's chain; the framework deletes it when the
// module is terminated.
class FRAMEWORK_API CDynLinkLibrary : public CObject {
public:
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem = FALSE);
    ~CDynLinkLibrary() override;

    AFX_EXTENSION_MODULE* m_pState;
};

// What the registration calls were given, for the tests.
struct FrameworkRegistrations {
    int initialized;  // AfxInitExtensionModule calls
    int linked;       // CDynLinkLibrary objects made
    int live;         // of those, not yet deleted
    int terminated;   // AfxTermExtensionModule calls
    HMODULE module;   // the module last initialised
};
FRAMEWORK_API FrameworkRegistrations& Registrations();
// Makes AfxInitExtensionModule refuse (answer FALSE) while set.
FRAMEWORK_API void RefuseRegistration(bool refuse);
