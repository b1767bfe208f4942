// The test adapter of the framework-shaped host (gpenc_host.h), with UNICODE
// (TCHAR is wchar_t) or without it (TCHAR is char), as the host is built.
#include "LogCapture.h"
#include "TestHost.h"

#include <string>

namespace gpenc::test::host {
namespace {

int g_live = 0;

using HostString = std::basic_string<TCHAR>;

// The tests' texts as the host's own code holds them: wide under UNICODE;
// without it, narrow in the system's code page, which is UTF-8 on Linux.
HostString HostText(const std::wstring& text) {
#if defined(UNICODE)
    return text;
#elif defined(_WIN32)
    const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, NULL, 0, NULL, NULL);
    if (n <= 1) return {};
    std::string narrow(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &narrow[0], n, NULL, NULL);
    narrow.resize(static_cast<std::size_t>(n - 1));
    return narrow;
#else
    return Utf8(text);
#endif
}

// An exception class of the host's own, as its code derives them: the message
// is kept by the derived class and given out by GetErrorMessage.
class CTestException : public CException {
public:
    CTestException(const std::wstring& message, bool answers) : m_message(HostText(message)), m_answers(answers) {
        ++g_live;
    }
    ~CTestException() override { --g_live; }

    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = NULL) const override {
        if (!m_answers) {
            CException::GetErrorMessage(lpszError, nMaxError, pnHelpContext);
            if (lpszError != NULL && nMaxError > 1) lpszError[0] = '?', lpszError[1] = 0;  // no message to take
            return FALSE;
        }
        if (pnHelpContext != NULL) *pnHelpContext = 0;
        if (lpszError == NULL || nMaxError == 0) return FALSE;
        const std::size_t n = m_message.size() < nMaxError ? m_message.size() : nMaxError - 1;
        m_message.copy(lpszError, n);
        lpszError[n] = 0;
        return TRUE;
    }

private:
    HostString m_message;
    bool m_answers;
};

}  // namespace

CException* MakeException(const std::wstring& message, bool answers) { return new CTestException(message, answers); }
int LiveExceptions() { return g_live; }
void SetSession(const unsigned char* id) { CSessionData::StoreSession(id); }

}  // namespace gpenc::test::host
