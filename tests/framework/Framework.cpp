// The framework-shaped host: the framework of afxwin.h, and the client's
// session store and logger that gpenc_host.h brings in with it.
#include "gpenc_host.h"

#include <cstring>
#include <mutex>
#include <vector>

CObject::CObject() : m_pReserved(nullptr) {}
CObject::~CObject() = default;

CException::CException(BOOL bAutoDelete) : m_bAutoDelete(bAutoDelete) {}
CException::~CException() = default;

BOOL CException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
    if (pnHelpContext != NULL) *pnHelpContext = 0;
    if (lpszError != NULL && nMaxError > 0) lpszError[0] = 0;
    return FALSE;
}

BOOL CException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) {
    return static_cast<const CException*>(this)->GetErrorMessage(lpszError, nMaxError, pnHelpContext);
}

void CException::Delete() {
    if (m_bAutoDelete) delete this;
}

namespace {
std::mutex g_sessionMutex;
unsigned char g_session[16] = {};

FrameworkRegistrations g_registrations = {};
bool g_refuse = false;
std::vector<CDynLinkLibrary*> g_chain;
}  // namespace

void CSessionData::GetSession(unsigned char* pSession) {
    std::lock_guard<std::mutex> lock(g_sessionMutex);
    std::memcpy(pSession, g_session, sizeof g_session);
}

void CSessionData::StoreSession(const unsigned char* pSession) {
    std::lock_guard<std::mutex> lock(g_sessionMutex);
    std::memcpy(g_session, pSession, sizeof g_session);
}

log4cplus::Logger NSLog::CLog::_logger = log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("VadroClient"));

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule) {
    ++g_registrations.initialized;
    g_registrations.module = hModule;
    if (g_refuse) return FALSE;
    state.bInitialized = TRUE;
    state.hModule = state.hResource = hModule;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL) {
    ++g_registrations.terminated;
    for (auto it = g_chain.begin(); it != g_chain.end();) {
        if ((*it)->m_pState == &state) {
            delete *it;
            it = g_chain.erase(it);
        } else {
            ++it;
        }
    }
    state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL) : m_pState(&state) {
    ++g_registrations.linked;
    ++g_registrations.live;
    g_chain.push_back(this);
}

CDynLinkLibrary::~CDynLinkLibrary() { --g_registrations.live; }

FrameworkRegistrations& Registrations() { return g_registrations; }
void RefuseRegistration(bool refuse) { g_refuse = refuse; }
