// The tables of std::to_chars for double that msvcprt.lib's static part holds and no Debian
// package ships. Fixed notation with a precision (Ryu's d2fixed: __POW10_SPLIT, __POW10_SPLIT_2)
// reads the real ones, computed by ryu_tables.py into ryu_tables.inc when env.sh builds the kit;
// general notation with a precision (_General_precision_tables_2) has zeros: link only, it
// formats wrongly, and nothing here runs it.
#include <charconv>
namespace std {
const uint64_t _General_precision_tables_2<double>::_Special_X_table[195] = {};
const uint64_t _General_precision_tables_2<double>::_Ordinary_X_table[314] = {};
#include "ryu_tables.inc"
}  // namespace std
