// The client's base library: its session store, which the login fills.
#pragma once

#include <afxwin.h>

// The base library's session store.
class FRAMEWORK_API CSessionData {
public:
    static void GetSession(unsigned char* pSession);
    static void StoreSession(const unsigned char* pSession);  // the client's login does this
};
