// What the tests need of the host they run against, supplied by each host's
// adapter (StandInHost.cpp for the bundled stand-ins), so that the same tables
// run against every host the library is built for.
#pragma once

#include "HostSeam.h"

#include <string>

namespace gpenc::test::host {

// An exception of the host's own class, thrown as the host's code throws it.
// With `answers` false its GetErrorMessage gives no message.
CException* MakeException(const std::wstring& message, bool answers = true);

// How many exceptions made by MakeException have not been released with Delete().
int LiveExceptions();

// Sets the session id that the host's session store hands out (16 bytes).
void SetSession(const unsigned char* id);

}  // namespace gpenc::test::host
