#include "jvmhost/vm_options.h"

namespace jlaunch {

const wchar_t kClassPathSeparator = L';';

}  // namespace jlaunch
