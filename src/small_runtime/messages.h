// Included first in every source file of the Windows launchers (GCC's
// library): the texts of the standard library's internal errors ("basic_string:
// construction from null is not valid" and the like) become empty. The
// launchers never show them: runtime.cpp turns each of those
// errors into the launcher's own internal failure. Each text would otherwise
// be kept once for every source file that uses the code that throws it (a PE
// file has no merging of equal strings), about 4.5 KB in all.
#pragma GCC system_header
#include <bits/c++config.h>
#undef __N
#define __N(msgid) ""
