// The floors bench/count.py sets beside two builders: the least hand-written code that hands a
// caller the builder's bytes, paying what the builder's caller pays too.
#pragma once

#include "gpenc/Encoder_Standard.h"

#include <cstdint>
#include <vector>

namespace gpenc::reference {

// The 0x8103 head and body of ParmSet_Get808ParmSetVector (serial number 1, the first entry's phone
// number), written into `out`, a fresh vector. The list comes by value, as the builder's does, so a
// caller that keeps its list pays for the copy here as there. An entry's value is the member its
// `eDataType` names; an entry of no type or an empty text is left out. False on an empty list or a
// first phone number that is empty or longer than 12 digits.
bool ParameterSettingFloor(std::vector<EquipParmSet_EquipConfig> list, std::vector<unsigned char>& out);

// The 30 bytes of CommonData(command), a GP frame without parameters, for `session`, written into
// `out`, a fresh vector.
void CommonDataFloor(std::uint16_t command, const unsigned char (&session)[16], std::vector<unsigned char>& out);

}  // namespace gpenc::reference
