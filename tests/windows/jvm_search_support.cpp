#include "jvm_search_support.h"

#include <cwctype>

#include "common/messages.h"
#include "jvmsearch/jvm_search.h"

namespace jlaunch::test {

std::string settingsText(const Entries& runtime, const Entries& application) {
    std::string text = "[Java Runtime Environment]\r\nMain Class=com.example.App\r\n";
    bool maximumGiven = false;
    for (const auto& [key, value] : runtime) {
        text += key + "=" + utf8Bytes(value) + "\r\n";
        maximumGiven = maximumGiven || key == "Maximum Version";
    }
    if (!maximumGiven) {
        text += "Maximum Version=any\r\n";
    }
    text += "[Application]\r\n";
    for (const auto& [key, value] : application) {
        text += key + "=" + utf8Bytes(value) + "\r\n";
    }
    return text;
}

std::wstring folderOf(const std::wstring& path) {
    return path.substr(0, path.rfind(L'\\'));
}

std::optional<std::wstring> libraryOfLoadFailure(std::wstring text) {
    std::wstring format = messageText(kMsgJvmLibraryLoadFailed);
    while (!format.empty() && std::iswspace(format.back())) {
        format.pop_back();
    }
    while (!text.empty() && std::iswspace(text.back())) {
        text.pop_back();
    }
    const auto pathAt = format.find(L"%s");
    const auto numberAt = format.find(L"%d");
    if (pathAt == std::wstring::npos || numberAt == std::wstring::npos || numberAt < pathAt) {
        return std::nullopt;
    }
    const std::wstring before = format.substr(0, pathAt);
    const std::wstring between = format.substr(pathAt + 2, numberAt - pathAt - 2);
    const std::wstring after = format.substr(numberAt + 2);
    if (!text.starts_with(before) || !text.ends_with(after)) {
        return std::nullopt;
    }
    const auto betweenAt = text.rfind(between, text.size() - after.size());
    if (betweenAt == std::wstring::npos || betweenAt < before.size()) {
        return std::nullopt;
    }
    const std::wstring number =
        text.substr(betweenAt + between.size(), text.size() - after.size() - betweenAt - between.size());
    if (number.empty() || number.find_first_not_of(L"-0123456789") != std::wstring::npos) {
        return std::nullopt;
    }
    return text.substr(before.size(), betweenAt - before.size());
}

std::string describe(const Outcome& outcome) {
    std::string text;
    if (outcome.loadedLibrary) {
        text += "message 222 for " + narrowForReport(*outcome.loadedLibrary) + "; ";
    }
    if (outcome.otherMessage) {
        text += "message \"" + narrowForReport(*outcome.otherMessage) + "\"; ";
    }
    if (outcome.jreNotFoundMessage) {
        text += "JRE Not Found dialog \"" + narrowForReport(*outcome.jreNotFoundMessage) + "\"; ";
    }
    if (outcome.exitCode) {
        text += "exit code " + std::to_string(*outcome.exitCode);
    } else {
        text += "did not end; it showed: " + narrowForReport(outcome.blocking);
    }
    return text;
}

Outcome finish(ChildProcess& child, std::chrono::milliseconds exitTimeout) {
    Outcome outcome;
    if (!child.started()) {
        ADD_FAILURE() << "the launcher did not start: system error " << child.startError();
        return outcome;
    }
    if (HWND window = child.waitForWindow(kWindowTimeout)) {
        if (GetDlgItem(window, 0xFFFF) == nullptr && GetDlgItem(window, 203) != nullptr) {
            wchar_t message[2048] = {};
            GetDlgItemTextW(window, 203, message, 2048);
            outcome.jreNotFoundMessage = message;
            EXPECT_TRUE(clickButton(window, IDCANCEL));
        } else {
            const MessageBoxView box = readMessageBox(window);
            outcome.loadedLibrary = libraryOfLoadFailure(box.text);
            if (!outcome.loadedLibrary) {
                outcome.otherMessage = box.text;
            }
            EXPECT_TRUE(clickButton(window, IDOK)) << "could not press OK of " << jlaunch::test::describe(box);
        }
    }
    outcome.exitCode = child.waitForExit(exitTimeout);
    outcome.blocking = child.blockingWindows();
    return outcome;
}

std::string loadFailureOf(const std::wstring& library) {
    return "message 222 for " + narrowForReport(library) + "; exit code -1";
}

std::string jreNotFoundFor(JvmType type, const JavaVersion& minimum, const JavaVersion& maximum) {
    LauncherSettings settings;
    settings.jvmType = type;
    settings.minimumVersion = minimum;
    settings.maximumVersion = maximum;
    return "JRE Not Found dialog \"" + narrowForReport(jreNotFoundMessage(settings)) + "\"; exit code -1";
}

}  // namespace jlaunch::test
