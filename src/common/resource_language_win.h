#pragma once
// The order in which resources are looked for: the thread's language (the
// entry point set it from the system default), the same language of another
// country, whatever the system picks for a neutral lookup, then English.
#include <windows.h>

#include <vector>

namespace jlaunch {

std::vector<LANGID> resourceLanguageOrder();

}  // namespace jlaunch
