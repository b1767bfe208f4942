// Breaks one of the framework's rules per build (Rules.cmake): every build of it
// must stop at the framework's own #error.
#if defined(RULE_WINDOWS_FIRST)
#  include <windows.h>
#endif
#include "afxwin.h"
