// One of the client's own files in the same project: the precompiled header
// first, then gpenc's public header, with the framework's <windows.h> macros about.
#include "stdafx.h"

#include <gpenc/Encoder.h>

bool ClientKeepAlive(std::vector<unsigned char>& frame) {
    CEncoder encoder;
    return encoder.CommonData(2, frame);
}
