#include "core/spoken_text.h"

namespace qh {

std::wstring SpokenText(std::wstring_view text) {
    std::wstring spoken;
    bool lineBroken = false;
    for (const wchar_t c : text) {
        if (c == L'\r' || c == L'\n') {
            lineBroken = true;
            continue;
        }
        if (lineBroken && !spoken.empty() && spoken.back() != L' ' && c != L' ') spoken += L' ';
        lineBroken = false;
        spoken += c;
    }
    while (!spoken.empty() && spoken.back() == L' ') spoken.pop_back();
    return spoken;
}

}  // namespace qh
