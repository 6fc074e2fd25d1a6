#include "launch_helper.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <memory>
#include <stdexcept>

namespace jlaunch::test {

namespace {

using Clock = std::chrono::steady_clock;

constexpr UINT kMessageTimeoutMs = 5000;
constexpr std::wstring_view kLongPrefix = L"\\\\?\\";

struct EnvironmentStringsDeleter {
    void operator()(wchar_t* block) const noexcept { FreeEnvironmentStringsW(block); }
};

std::string systemError(const char* what, DWORD error) {
    return std::string(what) + " failed with system error " + std::to_string(error);
}

// The variable name of one "NAME=value" entry; entries such as "=C:=C:\x"
// keep their leading "=" in the name.
std::wstring_view entryName(std::wstring_view entry) {
    const auto equals = entry.find(L'=', 1);
    return entry.substr(0, equals);
}

bool sameName(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// The caller's environment with `changes` applied, sorted by name as the
// system keeps it, as a double-null-terminated block.
std::wstring environmentBlock(const EnvironmentChanges& changes) {
    const std::unique_ptr<wchar_t, EnvironmentStringsDeleter> current(GetEnvironmentStringsW());
    std::vector<std::wstring> entries;
    for (const wchar_t* p = current.get(); p != nullptr && *p != L'\0'; p += std::wcslen(p) + 1) {
        entries.emplace_back(p);
    }
    for (const auto& [name, value] : changes) {
        std::erase_if(entries, [&name](const std::wstring& entry) { return sameName(entryName(entry), name); });
        if (value) {
            entries.push_back(name + L"=" + *value);
        }
    }
    std::sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
        const auto nameA = entryName(a);
        const auto nameB = entryName(b);
        return CompareStringOrdinal(nameA.data(), static_cast<int>(nameA.size()), nameB.data(),
                                    static_cast<int>(nameB.size()), TRUE) == CSTR_LESS_THAN;
    });
    std::wstring block;
    for (const auto& entry : entries) {
        block += entry;
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

// A full local path in the form that passes every length limit.
std::wstring longForm(const std::wstring& path) {
    if (path.starts_with(kLongPrefix) || path.size() < 3 || path[1] != L':') {
        return path;
    }
    return std::wstring(kLongPrefix) + path;
}

bool equalsClass(HWND window, std::wstring_view className) {
    return className.empty() || sameName(windowClassName(window), className);
}

struct WindowSearch {
    DWORD processId;
    std::wstring_view className;
    std::vector<HWND> found;
};

BOOL CALLBACK collectProcessWindow(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.processId && IsWindowVisible(window) && equalsClass(window, search.className)) {
        search.found.push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK collectChild(HWND window, LPARAM parameter) {
    reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
    return TRUE;
}

std::vector<HWND> childrenOf(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

std::wstring folderOf(const std::wstring& path) {
    const auto cut = path.rfind(L'\\');
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

}  // namespace

ChildProcess ChildProcess::start(const std::wstring& application, const std::wstring& commandLine,
                                 const std::wstring& workingFolder, const EnvironmentChanges& environment) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return started(application, commandLine, workingFolder, environment, startup, FALSE);
}

ChildProcess ChildProcess::startWithOutput(const std::wstring& application, const std::wstring& commandLine,
                                           const std::wstring& outputFile, const std::wstring& errorFile,
                                           const EnvironmentChanges& environment) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    const auto open = [&inheritable](const std::wstring& path) {
        return UniqueFileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                            &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    const UniqueFileHandle output = open(outputFile);
    const UniqueFileHandle error = open(errorFile);
    if (!output.valid() || !error.valid()) {
        ChildProcess child;
        child.startError_ = GetLastError();
        return child;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output.get();
    startup.hStdError = error.get();
    return started(application, commandLine, {}, environment, startup, TRUE);
}

ChildProcess ChildProcess::started(const std::wstring& application, const std::wstring& commandLine,
                                   const std::wstring& workingFolder, const EnvironmentChanges& environment,
                                   STARTUPINFOW& startup, BOOL inheritHandles) {
    ChildProcess child;
    PROCESS_INFORMATION info{};
    std::wstring line = commandLine;  // CreateProcessW may write into it
    std::wstring block = environment.empty() ? std::wstring() : environmentBlock(environment);
    const BOOL ok = CreateProcessW(application.empty() ? nullptr : application.c_str(), line.data(), nullptr, nullptr,
                                   inheritHandles, CREATE_UNICODE_ENVIRONMENT, block.empty() ? nullptr : block.data(),
                                   workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info);
    if (!ok) {
        child.startError_ = GetLastError();
        return child;
    }
    child.process_.reset(info.hProcess);
    child.thread_.reset(info.hThread);
    child.id_ = info.dwProcessId;
    return child;
}

ChildProcess::~ChildProcess() {
    kill();
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        kill();
        process_ = std::move(other.process_);
        thread_ = std::move(other.thread_);
        id_ = other.id_;
        startError_ = other.startError_;
        blockingWindows_ = std::move(other.blockingWindows_);
    }
    return *this;
}

bool ChildProcess::running() const {
    return process_.valid() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

HWND ChildProcess::waitForWindow(std::chrono::milliseconds timeout, std::wstring_view className) const {
    if (!process_) {
        return nullptr;
    }
    const auto deadline = Clock::now() + timeout;
    while (true) {
        const auto windows = visibleWindowsOf(id_, className);
        if (!windows.empty()) {
            return windows.front();
        }
        // A process that has ended shows nothing more.
        if (WaitForSingleObject(process_.get(), 20) == WAIT_OBJECT_0 || Clock::now() >= deadline) {
            const auto last = visibleWindowsOf(id_, className);
            return last.empty() ? nullptr : last.front();
        }
    }
}

std::optional<std::int32_t> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    if (!process_) {
        return std::nullopt;
    }
    if (WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        blockingWindows_.clear();
        for (HWND window : visibleWindowsOf(id_)) {
            blockingWindows_ += L"[" + windowClassName(window) + L"] \"" + windowText(window) + L"\": \"" +
                                windowText(GetDlgItem(window, 0xFFFF)) + L"\"\n";
        }
        kill();
        return std::nullopt;
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(process_.get(), &code)) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(code);
}

void ChildProcess::kill() {
    if (running()) {
        TerminateProcess(process_.get(), 0xDEAD);
        WaitForSingleObject(process_.get(), 5000);
    }
}

std::vector<HWND> visibleWindowsOf(DWORD processId, std::wstring_view className) {
    WindowSearch search{processId, className, {}};
    EnumWindows(collectProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring windowClassName(HWND window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, static_cast<std::size_t>(std::max(length, 0)));
}

std::wstring windowText(HWND window) {
    if (window == nullptr) {
        return {};
    }
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length)) {
        return {};
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             kMessageTimeoutMs, &copied)) {
        return {};
    }
    text.resize(std::min<std::size_t>(copied, length));
    return text;
}

HWND ownerWindow(HWND window) {
    return GetWindow(window, GW_OWNER);
}

std::vector<ButtonInfo> dialogButtons(HWND dialog) {
    std::vector<ButtonInfo> buttons;
    for (HWND child : childrenOf(dialog)) {
        if (GetParent(child) == dialog && sameName(windowClassName(child), L"Button")) {
            buttons.push_back({GetDlgCtrlID(child), windowText(child)});
        }
    }
    return buttons;
}

bool clickButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    DWORD_PTR result = 0;
    return button != nullptr &&
           SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result) != 0;
}

bool sendCommand(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    const auto wParam = MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED);
    return PostMessageW(dialog, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(button)) != FALSE;
}

MessageBoxView readMessageBox(HWND box) {
    MessageBoxView view;
    view.className = windowClassName(box);
    view.caption = windowText(box);
    view.text = windowText(GetDlgItem(box, 0xFFFF));
    view.owner = ownerWindow(box);
    view.buttons = dialogButtons(box);
    for (HWND child : childrenOf(box)) {
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
        DWORD_PTR icon = 0;
        if (sameName(windowClassName(child), L"Static") && (style & SS_TYPEMASK) == SS_ICON &&
            SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &icon) != 0 &&
            icon != 0) {
            view.hasIcon = true;
        }
    }
    return view;
}

std::string describe(const MessageBoxView& view) {
    std::string out = "[" + narrowForReport(view.className) + "] caption \"" + narrowForReport(view.caption) +
                      "\", text \"" + narrowForReport(view.text) + "\", buttons";
    for (const auto& button : view.buttons) {
        out += " " + std::to_string(button.id) + ":\"" + narrowForReport(button.text) + "\"";
    }
    out += view.owner != nullptr ? ", owned" : ", no owner";
    out += view.hasIcon ? ", icon" : ", no icon";
    return out;
}

std::wstring testProgramPath() {
    std::wstring buffer(MAX_PATH, L'\0');
    while (true) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            throw std::runtime_error(systemError("GetModuleFileNameW", GetLastError()));
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring launcherUnderTest() {
    wchar_t configured[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"JLAUNCH_EXE", configured, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        return configured;
    }
    return folderOf(folderOf(folderOf(testProgramPath()))) + L"\\jlaunch.exe";
}

std::string utf8Bytes(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), length, nullptr, nullptr);
    return out;
}

std::string utf16Bytes(std::wstring_view text) {
    std::string out = "\xFF\xFE";
    for (wchar_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return out;
}

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), length);
    return out;
}

std::string narrowForReport(std::wstring_view text) {
    return utf8Bytes(text);
}

std::wstring quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

bool createFolders(const std::wstring& path) {
    const std::wstring full = longForm(path);
    // Folders below the drive's root, one by one.
    std::size_t position = full.find(L'\\', full.starts_with(kLongPrefix) ? kLongPrefix.size() : 0);
    while (position != std::wstring::npos) {
        position = full.find(L'\\', position + 1);
        const std::wstring prefix = full.substr(0, position);
        if (!CreateDirectoryW(prefix.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    return true;
}

void removeTree(const std::wstring& path) {
    const std::wstring full = longForm(path);
    WIN32_FIND_DATAW data;
    {
        const UniqueFindHandle search(FindFirstFileW((full + L"\\*").c_str(), &data));
        if (search) {
            do {
                const std::wstring_view name = data.cFileName;
                if (name == L"." || name == L"..") {
                    continue;
                }
                const std::wstring child = full + L"\\" + data.cFileName;
                if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                    (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
                    removeTree(child);
                } else {
                    SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(child.c_str());
                }
            } while (FindNextFileW(search.get(), &data));
        }
    }
    RemoveDirectoryW(full.c_str());
}

std::optional<std::string> readFileBytes(const std::wstring& path) {
    const UniqueFileHandle file(CreateFileW(longForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    return bytes;
}

TemporaryFolder::TemporaryFolder() : TemporaryFolder(std::wstring()) {}

TemporaryFolder::TemporaryFolder(const std::wstring& base) {
    std::wstring root = base;
    if (root.empty()) {
        wchar_t temp[MAX_PATH + 1] = {};
        const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
        if (length == 0 || length > MAX_PATH) {
            throw std::runtime_error(systemError("GetTempPathW", GetLastError()));
        }
        root.assign(temp, length);
    }
    if (!root.empty() && root.back() == L'\\') {
        root.pop_back();
    }
    if (!createFolders(root)) {
        throw std::runtime_error(systemError("creating the temporary root", GetLastError()));
    }
    static std::atomic<unsigned> counter{0};
    // No "." in the name: tests rely on the folder adding none to the path.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring candidate = root + L"\\jlt" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                                       std::to_wstring(++counter) + L"_" + std::to_wstring(GetTickCount64() % 100000);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            throw std::runtime_error(systemError("CreateDirectoryW", GetLastError()));
        }
    }
    throw std::runtime_error("no fresh temporary folder");
}

TemporaryFolder::~TemporaryFolder() {
    removeTree(path_);
}

std::wstring TemporaryFolder::operator/(std::wstring_view relative) const {
    return path_ + L"\\" + std::wstring(relative);
}

std::wstring TemporaryFolder::makeFolder(std::wstring_view relative) const {
    const std::wstring full = *this / relative;
    if (!createFolders(full)) {
        throw std::runtime_error(systemError("creating a test folder", GetLastError()));
    }
    return full;
}

std::wstring TemporaryFolder::writeFile(std::wstring_view relative, std::string_view bytes) const {
    const std::wstring full = *this / relative;
    const std::wstring parent = folderOf(full);
    if (parent != path_ && !createFolders(parent)) {
        throw std::runtime_error(systemError("creating a test folder", GetLastError()));
    }
    const UniqueFileHandle file(
        CreateFileW(longForm(full).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        throw std::runtime_error(systemError("CreateFileW", GetLastError()));
    }
    DWORD written = 0;
    if (!bytes.empty() && (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
                           written != bytes.size())) {
        throw std::runtime_error(systemError("WriteFile", GetLastError()));
    }
    return full;
}

LauncherCopy::LauncherCopy(std::wstring_view relativeName) : LauncherCopy(std::wstring(), relativeName) {}

LauncherCopy::LauncherCopy(const std::wstring& base, std::wstring_view relativeName)
    : folder_(base), exePath_(folder_ / relativeName) {
    const std::wstring parent = folderOf(exePath_);
    if (parent != folder_.path() && !createFolders(parent)) {
        throw std::runtime_error(systemError("creating the launcher's folder", GetLastError()));
    }
    const std::wstring source = launcherUnderTest();
    if (!CopyFileW(source.c_str(), longForm(exePath_).c_str(), FALSE)) {
        throw std::runtime_error(systemError("copying the launcher", GetLastError()) + " (from " +
                                 narrowForReport(source) + " to " + narrowForReport(exePath_) + ")");
    }
}

std::wstring LauncherCopy::exeFolder() const {
    return folderOf(exePath_);
}

std::wstring LauncherCopy::settingsPath() const {
    const std::wstring folder = exeFolder();
    std::wstring name = exePath_.substr(folder.size() + 1);
    if (const auto dot = name.rfind(L'.'); dot != std::wstring::npos) {
        name.resize(dot);
    }
    return folder + L"\\" + name + L".ini";
}

void LauncherCopy::writeSettings(std::string_view bytes) const {
    folder_.writeFile(settingsPath().substr(folder_.path().size() + 1), bytes);
}

ChildProcess LauncherCopy::start(const std::wstring& arguments, const EnvironmentChanges& environment) const {
    std::wstring line = quoted(exePath_);
    if (!arguments.empty()) {
        line += L" " + arguments;
    }
    return ChildProcess::start(exePath_, line, exeFolder(), environment);
}

EnvironmentScope::EnvironmentScope(std::wstring name, const std::optional<std::wstring>& value)
    : name_(std::move(name)) {
    SetLastError(ERROR_SUCCESS);
    const DWORD size = GetEnvironmentVariableW(name_.c_str(), nullptr, 0);
    if (size > 0) {
        std::wstring old(size, L'\0');
        const DWORD length = GetEnvironmentVariableW(name_.c_str(), old.data(), size);
        old.resize(length);
        saved_ = std::move(old);
    } else if (GetLastError() != ERROR_ENVVAR_NOT_FOUND) {
        saved_ = std::wstring();
    }
    SetEnvironmentVariableW(name_.c_str(), value ? value->c_str() : nullptr);
}

EnvironmentScope::~EnvironmentScope() {
    SetEnvironmentVariableW(name_.c_str(), saved_ ? saved_->c_str() : nullptr);
}

CurrentFolderScope::CurrentFolderScope(const std::wstring& folder) {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    saved_.resize(size);
    saved_.resize(GetCurrentDirectoryW(size, saved_.data()));
    if (!SetCurrentDirectoryW(folder.c_str())) {
        throw std::runtime_error(systemError("SetCurrentDirectoryW", GetLastError()));
    }
}

CurrentFolderScope::~CurrentFolderScope() {
    SetCurrentDirectoryW(saved_.c_str());
}

}  // namespace jlaunch::test
