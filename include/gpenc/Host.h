// What the encoder library needs of its host: the framework's exception base,
// the session store that hands out the current session id, and the shared logger.
#pragma once

#include <log4cplus/logger.h>

#include <string>

#if defined(_WIN32)
#  if defined(GPENC_HOST_BUILDING)
#    define GPENC_HOST_API __declspec(dllexport)
#  else
#    define GPENC_HOST_API __declspec(dllimport)
#  endif
#else
#  define GPENC_HOST_API __attribute__((visibility("default")))
#endif

#if defined(_MSC_VER)
// C4251 on m_message: the host, the library and the client share one C++ runtime
// and toolset (docs/host.md), so the member means the same in each.
#  pragma warning(push)
#  pragma warning(disable : 4251)
#endif
// The framework's exception base. Thrown and caught as a pointer (`throw new
// CSomeException(...)`); whoever catches one releases it with Delete().
class GPENC_HOST_API CException {
public:
    CException() = default;
    explicit CException(std::wstring message) : m_message(std::move(message)) {}
    virtual ~CException();

    // Writes the message, cut to at most `maxChars` characters including the
    // terminating zero, into `buffer`. Returns false (writing nothing) when the
    // buffer is absent or `maxChars` is 0. `helpContext`, if given, is set to 0.
    virtual bool GetErrorMessage(wchar_t* buffer, unsigned int maxChars, unsigned int* helpContext = nullptr) const;

    // Releases an exception that was thrown as `new`.
    void Delete();

private:
    std::wstring m_message;
};
#if defined(_MSC_VER)
#  pragma warning(pop)
#endif

// The base library's session store: the current 16-byte session id.
// Both operations may be called from many threads at once; a reader always
// gets one whole id that was set at some point. Initially sixteen zero bytes.
class GPENC_HOST_API CSessionData {
public:
    static void GetSession(unsigned char* id);
    static void SetSession(const unsigned char* id);

    CSessionData& operator=(const CSessionData&) = default;
};

namespace NSLog {
#if defined(_MSC_VER)
// C4251 on _logger, with a static log4cplus whose classes are not exported:
// the same rule as for CException.
#  pragma warning(push)
#  pragma warning(disable : 4251)
#endif
// The shared logger, the log4cplus logger named "gpenc". The host configures
// it (appenders, level); the encoder library only writes into it.
class GPENC_HOST_API CLog {
public:
    static log4cplus::Logger _logger;
};
#if defined(_MSC_VER)
#  pragma warning(pop)
#endif
}  // namespace NSLog
