// The precompiled header of a client's own DLL project, as an MFC project has it:
// the framework first (here the client's header of gpenc's host declarations,
// which brings in the framework-shaped <afxwin.h>), then what its files share.
#pragma once

#include "gpenc_host.h"

#include <string>
#include <vector>
