#include "core/paths.h"

namespace qh {

std::wstring NormaliseFolderPath(std::wstring folder) {
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

std::wstring ParentFolder(const std::wstring& path) {
    const std::size_t separator = path.rfind(L'\\');
    if (separator == std::wstring::npos) return {};
    std::wstring parent = path.substr(0, separator);
    // What is left of "\\server" or "\share" is no folder.
    if (parent.find_first_not_of(L'\\') == std::wstring::npos) return {};
    return parent;
}

std::wstring FileNameOf(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

}  // namespace qh
