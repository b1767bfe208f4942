// The test adapter of the bundled stand-ins (gpenc/Host.h).
#include "TestHost.h"

namespace gpenc::test::host {
namespace {

int g_live = 0;

class TestException : public CException {
public:
    TestException(std::wstring message, bool answers) : CException(std::move(message)), answers_(answers) { ++g_live; }
    ~TestException() override { --g_live; }
    bool GetErrorMessage(wchar_t* buffer, unsigned int maxChars, unsigned int* helpContext) const override {
        if (answers_) return CException::GetErrorMessage(buffer, maxChars, helpContext);
        if (buffer != nullptr && maxChars > 1) buffer[0] = L'?', buffer[1] = L'\0';  // no message to take
        return false;
    }

private:
    bool answers_;
};

}  // namespace

CException* MakeException(const std::wstring& message, bool answers) { return new TestException(message, answers); }
int LiveExceptions() { return g_live; }
void SetSession(const unsigned char* id) { CSessionData::SetSession(id); }

}  // namespace gpenc::test::host
