#include "ui/jre_not_found_dialog.h"

namespace jlaunch {

std::wstring shortLinkLabel(const std::wstring& address) {
    const auto host = address.find(L"://");
    const auto path = host == std::wstring::npos ? host : address.find(L'/', host + 3);
    return path == std::wstring::npos ? address : address.substr(0, path) + L"/\u2026";
}

}  // namespace jlaunch
