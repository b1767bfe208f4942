// Every public header in one file, so the MSVC-mode check sees each header against Microsoft's library.
#include <gpenc/Encoder.h>
#include <gpenc/Encoder_Standard.h>
#if defined(GPENC_HOST_HEADER)
#  include "HostSeam.h"  // the host's own declarations in place of the stand-ins
#else
#  include <gpenc/Host.h>
#endif
#include <gpenc/Inspect.h>
