#include "common/split.h"

namespace jlaunch {

std::vector<std::wstring> splitArguments(std::wstring_view text) {
    std::vector<std::wstring> elements;
    const std::size_t n = text.size();
    std::size_t p = 0;
    const auto skipSpaces = [&] {
        while (p < n && text[p] == L' ') ++p;
    };
    while (p < n) {
        if (text[p] == L'"') {
            ++p;
            if (p == n) {
                elements.emplace_back();
                break;
            }
            const auto close = text.find(L'"', p);
            if (close == std::wstring_view::npos) {
                elements.emplace_back(text.substr(p));
                break;
            }
            elements.emplace_back(text.substr(p, close - p));
            p = close + 1;
            skipSpaces();
        } else {
            const auto space = text.find(L' ', p);
            if (space == std::wstring_view::npos) {
                elements.emplace_back(text.substr(p));
                break;
            }
            elements.emplace_back(text.substr(p, space - p));
            p = space;
            skipSpaces();
        }
    }
    return elements;
}

std::vector<std::wstring> splitList(std::wstring_view text, std::wstring_view separator) {
    std::vector<std::wstring> list;
    if (text.empty()) {
        return list;
    }
    if (separator.empty() || text.find(separator) == std::wstring_view::npos) {
        list.emplace_back(text);
        return list;
    }
    while (true) {
        const auto at = text.find(separator);
        if (at == std::wstring_view::npos) {
            if (!text.empty()) {
                list.emplace_back(text);
            }
            break;
        }
        list.emplace_back(text.substr(0, at));
        text.remove_prefix(at + separator.size());
    }
    return list;
}

}  // namespace jlaunch
