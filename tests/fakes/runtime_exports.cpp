// The entry point that the names a real runtime's java.dll imports from
// jvm.dll are bound to (runtime_exports.sh): they let that library load
// beside the fake VM, and nothing in a launch may call them.
#include "trace.h"

extern "C" void fakeJvmUnusedEntry() {
    fake_jvm::traceAndExit("UNEXPECTED call of a runtime entry point of jvm.dll", 0x7E57);
}
