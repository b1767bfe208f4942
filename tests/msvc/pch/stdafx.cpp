// Creates the client project's precompiled header (/Yc"stdafx.h").
#include "stdafx.h"
