// Stand-in implementations of the host services declared in gpenc/Host.h.
#include "gpenc/Host.h"

#include <algorithm>
#include <cstring>
#include <mutex>

CException::~CException() = default;

bool CException::GetErrorMessage(wchar_t* buffer, unsigned int maxChars, unsigned int* helpContext) const {
    if (helpContext != nullptr) *helpContext = 0;
    if (buffer == nullptr || maxChars == 0) return false;
    const std::size_t n = std::min<std::size_t>(m_message.size(), maxChars - 1);
    std::copy_n(m_message.data(), n, buffer);
    buffer[n] = L'\0';
    return true;
}

void CException::Delete() { delete this; }

namespace {
// A mutex rather than atomics: the id is 16 bytes and readers must never see
// half of an old id and half of a new one.
std::mutex g_sessionMutex;
unsigned char g_session[16] = {};
}  // namespace

void CSessionData::GetSession(unsigned char* id) {
    std::lock_guard<std::mutex> lock(g_sessionMutex);
    std::memcpy(id, g_session, sizeof g_session);
}

void CSessionData::SetSession(const unsigned char* id) {
    std::lock_guard<std::mutex> lock(g_sessionMutex);
    std::memcpy(g_session, id, sizeof g_session);
}

// A default-constructed Logger has no implementation behind it and crashes on
// first use, so the shared logger is looked up by name at load time.
log4cplus::Logger NSLog::CLog::_logger = log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("gpenc"));
