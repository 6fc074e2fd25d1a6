#pragma once
// RAII owners of the Windows handles, keys, modules and GDI objects the
// launcher holds.
#include <windows.h>
#include <objbase.h>

#include "common/system_library_win.h"
#include "common/unique_resource.h"

namespace jlaunch {

// CreateFileW and FindFirstFileW answer INVALID_HANDLE_VALUE rather than null.
inline HANDLE invalidHandleValue() noexcept {
    return INVALID_HANDLE_VALUE;
}
// A window may already be gone with its owner.
inline void destroyLiveWindow(HWND window) noexcept {
    if (IsWindow(window)) {
        DestroyWindow(window);
    }
}

using UniqueHandle = UniqueResource<ClosedBy<HANDLE, &CloseHandle>>;
using UniqueFileHandle = UniqueResource<ClosedBy<HANDLE, &CloseHandle, &invalidHandleValue>>;
using UniqueFindHandle = UniqueResource<ClosedBy<HANDLE, &FindClose, &invalidHandleValue>>;
using UniqueRegistryKey = UniqueResource<ClosedBy<HKEY, &RegCloseKey>>;
using UniqueGdiObject = UniqueResource<ClosedBy<HGDIOBJ, &DeleteObject>>;
using UniqueWindow = UniqueResource<ClosedBy<HWND, &destroyLiveWindow>>;
using UniqueModule = UniqueResource<ClosedBy<HMODULE, &FreeLibrary>>;
using UniqueTaskMemory = UniqueResource<ClosedBy<void*, &freeTaskMemory>>;
using UniqueLocalMemory = UniqueResource<ClosedBy<HLOCAL, &LocalFree>>;
using UniqueFileView = UniqueResource<ClosedBy<void*, &UnmapViewOfFile>>;

}  // namespace jlaunch
