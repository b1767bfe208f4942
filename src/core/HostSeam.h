// The host the library is built for: its own declarations of the framework's
// exception base, the session store and the shared logger, named at configure
// time (GPENC_HOST_HEADER), or else the bundled stand-ins of gpenc/Host.h.
// A source includes it before <windows.h>, which a framework header must precede.
#pragma once

#if defined(GPENC_HOST_HEADER)
#  include GPENC_HOST_HEADER
#else
#  include "gpenc/Host.h"
#endif
