// gpenc_host.h: what gpenc needs of the client
#pragma once
#include <afxwin.h>          // the framework: CException, AFX_EXTENSION_MODULE, and <windows.h> after it
#include "VadroBase/SessionData.h"
#include "Log/Log.h"         // NSLog::CLog::_logger
