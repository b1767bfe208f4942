// The client's logging layer: the one logger object its appenders are set up on.
#pragma once

#include <afxwin.h>
#include <log4cplus/logger.h>

namespace NSLog {
class FRAMEWORK_API CLog {
public:
    static log4cplus::Logger _logger;
};
}  // namespace NSLog
