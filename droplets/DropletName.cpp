#include "droplets/DropletName.h"

std::wstring DropletName(std::wstring_view path) {
    const size_t slash = path.rfind(L'\\');
    std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring_view::npos) name = name.substr(0, dot);
    return std::wstring(name);
}
