// Decoding of what a command-0x33 frame tunnels in its keys 0, 1 and 2.
#pragma once

#include "Reader.h"

namespace gpenc::inspect {

// 0-15 for a hexadecimal digit of either case, -1 for any other character.
int HexDigit(char c);

// Fills `frame.tunnel` from the frame's parameters and adds what is wrong with
// them or with the tunnelled content to `frame.warnings`, at frame offsets.
void DecodeTunnel(Frame& frame);

}  // namespace gpenc::inspect
