// The test adapter of the framework-shaped host (gpenc_host.h).
#include "TestHost.h"

#include <string>

static_assert(sizeof(TCHAR) == sizeof(wchar_t), "the framework host is tested as the client builds it, with UNICODE");

namespace gpenc::test::host {
namespace {

int g_live = 0;

// An exception class of the host's own, as its code derives them: the message
// is kept by the derived class and given out by GetErrorMessage.
class CTestException : public CException {
public:
    CTestException(const std::wstring& message, bool answers) : m_message(message), m_answers(answers) { ++g_live; }
    ~CTestException() override { --g_live; }

    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = NULL) const override {
        if (!m_answers) {
            CException::GetErrorMessage(lpszError, nMaxError, pnHelpContext);
            if (lpszError != NULL && nMaxError > 1) lpszError[0] = L'?', lpszError[1] = 0;  // no message to take
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
    std::wstring m_message;
    bool m_answers;
};

}  // namespace

CException* MakeException(const std::wstring& message, bool answers) { return new CTestException(message, answers); }
int LiveExceptions() { return g_live; }
void SetSession(const unsigned char* id) { CSessionData::StoreSession(id); }

}  // namespace gpenc::test::host
