#include "modern/ShellItemPaths.h"

#include <algorithm>

#include "support/UniqueComPtr.h"

namespace {
constexpr size_t MaxPathLength = 1023;

struct CoTaskMemCloser {
    void operator()(wchar_t* text) const noexcept { CoTaskMemFree(text); }
};
}  // namespace

bool ReadFileSystemPaths(IShellItemArray* items, std::vector<std::wstring>& paths) {
    paths.clear();
    DWORD count = 0;
    if (!items || FAILED(items->GetCount(&count)) || count == 0) return false;
    paths.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        IShellItem* raw = nullptr;
        if (FAILED(items->GetItemAt(i, &raw)) || !raw) return false;
        const UniqueComPtr<IShellItem> item(raw);
        wchar_t* path = nullptr;
        if (FAILED(item.Get()->GetDisplayName(SIGDN_FILESYSPATH, &path)) || !path) return false;
        const UniqueHandle<wchar_t*, CoTaskMemCloser> owned(path);
        paths.emplace_back(path, std::min(wcslen(path), MaxPathLength));
    }
    return true;
}
