#include <windows.h>

#include "common/handles_win.h"
#include "common/text.h"
#include "file_io.h"

namespace jlaunch::pack {

namespace {

std::string systemError(const std::string& what, const std::wstring& path) {
    return what + " " + toNarrow(path) + " (system error " + std::to_string(GetLastError()) + ")";
}

std::wstring fullPath(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return path;
    }
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    full.resize(length < size ? length : 0);
    return full;
}

// Full paths of any length: the "\\?\" form lifts the 260-character limit.
std::wstring longPath(const std::wstring& path) {
    std::wstring full = fullPath(path);
    if (full.rfind(L"\\\\?\\", 0) == 0) {
        return full;
    }
    if (full.rfind(L"\\\\", 0) == 0) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

bool fileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    const UniqueFileHandle file(CreateFileW(longPath(path).c_str(), 0,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && GetFileInformationByHandle(file.get(), &info) != FALSE;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::wstring& path, std::uint64_t limit,
                                                       std::string& error) {
    const UniqueFileHandle file(CreateFileW(longPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || GetFileSizeEx(file.get(), &size) == FALSE) {
        error = systemError("cannot read", path);
        return std::nullopt;
    }
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        error = toNarrow(path) + " is not a regular file";
        return std::nullopt;
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > limit) {
        error = toNarrow(path) + " is larger than " + std::to_string(limit >> 20) + " MiB";
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD n = 0;
        if (ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n, nullptr) == FALSE ||
            n == 0) {
            error = systemError("cannot read", path);
            return std::nullopt;
        }
        done += n;
    }
    return bytes;
}

bool replaceableOutput(const std::wstring& path, std::string& error) {
    const DWORD attributes = GetFileAttributesW(longPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return true;  // nothing there yet
    }
    const UniqueFileHandle file(CreateFileW(longPath(path).c_str(), 0,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                            nullptr));
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) != 0 ||
        !file || GetFileType(file.get()) != FILE_TYPE_DISK) {
        error = "the output " + toNarrow(path) + " exists and is not a regular file; it is left alone";
        return false;
    }
    return true;
}

bool sameFile(const std::wstring& a, const std::wstring& b) {
    BY_HANDLE_FILE_INFORMATION one{};
    BY_HANDLE_FILE_INFORMATION two{};
    if (fileIdentity(a, one) && fileIdentity(b, two)) {
        return one.dwVolumeSerialNumber == two.dwVolumeSerialNumber && one.nFileIndexHigh == two.nFileIndexHigh &&
               one.nFileIndexLow == two.nFileIndexLow;
    }
    const std::wstring first = fullPath(a);
    const std::wstring second = fullPath(b);
    return CompareStringOrdinal(first.c_str(), static_cast<int>(first.size()), second.c_str(),
                                static_cast<int>(second.size()), TRUE) == CSTR_EQUAL;
}

std::unique_ptr<PendingOutput> PendingOutput::create(const std::wstring& target, std::span<const std::uint8_t> bytes,
                                                     bool /*executable*/, std::string& error) {
    const std::wstring path = longPath(target) + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    UniqueFileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = systemError("cannot create a file beside", target);
        return nullptr;
    }
    std::unique_ptr<PendingOutput> output(new PendingOutput(path, longPath(target)));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD n = 0;
        if (WriteFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n, nullptr) == FALSE ||
            n == 0) {
            error = systemError("cannot write", path);
            return nullptr;
        }
        done += n;
    }
    if (FlushFileBuffers(file.get()) == FALSE) {
        error = systemError("cannot finish", path);
        return nullptr;
    }
    return output;
}

PendingOutput::~PendingOutput() {
    if (!committed_) {
        DeleteFileW(path_.c_str());
    }
}

bool PendingOutput::commit(std::string& error) {
    if (MoveFileExW(path_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == FALSE) {
        error = systemError("cannot rename the finished file onto", target_);
        return false;
    }
    committed_ = true;
    return true;
}

}  // namespace jlaunch::pack
