// Every public header in one file, so the MSVC-mode check sees each header against Microsoft's library.
#include <gpenc/Encoder.h>
#include <gpenc/Encoder_Standard.h>
#include <gpenc/Host.h>
#include <gpenc/Inspect.h>
