// Link-only stand-ins for the tables of std::to_chars for double (msvcprt.lib's static part,
// which no Debian package ships): all zero, so a DLL linked with them formats doubles wrongly.
// CI links gpenc.dll with them to prove the link and its PDB, and never runs that DLL.
#include <charconv>
namespace std {
const uint64_t _General_precision_tables_2<double>::_Special_X_table[195] = {};
const uint64_t _General_precision_tables_2<double>::_Ordinary_X_table[314] = {};
const uint64_t __POW10_SPLIT[1224][3] = {};
const uint64_t __POW10_SPLIT_2[3133][3] = {};
}  // namespace std
