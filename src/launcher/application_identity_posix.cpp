#include "common/trace.h"
#include "launcher/application_identity.h"

namespace jlaunch {

void applyAppUserModelId(const std::wstring& id) {
    trace("App User Model ID ", id, " ignored: it is a Windows setting");
}

}  // namespace jlaunch
