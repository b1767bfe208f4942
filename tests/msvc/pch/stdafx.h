// The precompiled header of a client's own DLL project, as an MFC project has it:
// the framework first (here the framework-shaped host, standing for <afxwin.h>
// and the client's header of gpenc's host declarations), then what its files share.
#pragma once

#include "Framework.h"

#include <string>
#include <vector>
