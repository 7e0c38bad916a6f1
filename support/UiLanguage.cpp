#include "support/UiLanguage.h"

#include <cwchar>

namespace {

struct Shipped {
    WORD Primary;
    LANGID Table;
};
// The LANGUAGE statements of the .rc files.
constexpr Shipped Tables[] = {
    {LANG_GERMAN, MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)},
    {LANG_ENGLISH, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)},
    {LANG_FRENCH, MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)},
    {LANG_JAPANESE, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)},
    {LANG_CHINESE, MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)},
};
constexpr LANGID English = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// Plain data only: no guard object or thread-local storage outlives an unload.
INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;
LANGID g_chosen = English;
volatile LONG g_override = 0;

LANGID TableOf(LANGID language) noexcept {
    for (const Shipped& shipped : Tables)
        if (PRIMARYLANGID(language) == shipped.Primary) return shipped.Table;
    return 0;
}

using ListLanguages = BOOL(WINAPI*)(DWORD, PULONG, PZZWSTR, PULONG);

BOOL WINAPI ThreadLanguages(DWORD flags, PULONG count, PZZWSTR buffer, PULONG size) {
    return GetThreadPreferredUILanguages(flags | MUI_THREAD_LANGUAGES, count, buffer, size);
}

constexpr ListLanguages Lists[] = {ThreadLanguages, GetUserPreferredUILanguages, GetSystemPreferredUILanguages};

// The first language of the list that we ship, or 0.
LANGID FirstShipped(ListLanguages list) noexcept {
    wchar_t ids[512];
    ULONG count = 0;
    ULONG size = ARRAYSIZE(ids);
    if (!list(MUI_LANGUAGE_ID, &count, ids, &size)) return 0;
    for (const wchar_t* id = ids; id < ids + size && *id; id += std::wcslen(id) + 1) {
        if (const LANGID table = TableOf(static_cast<LANGID>(std::wcstoul(id, nullptr, 16)))) return table;
    }
    return 0;
}

BOOL CALLBACK Choose(PINIT_ONCE, PVOID, PVOID*) noexcept {
    for (ListLanguages list : Lists) {
        if (const LANGID table = FirstShipped(list)) {
            g_chosen = table;
            break;
        }
    }
    return TRUE;
}

}  // namespace

LANGID ShippedLanguage(LANGID language) noexcept {
    const LANGID table = TableOf(language);
    return table ? table : English;
}

LANGID UiLanguage() noexcept {
    if (const LONG forced = InterlockedCompareExchange(&g_override, 0, 0)) return static_cast<LANGID>(forced);
    InitOnceExecuteOnce(&g_once, Choose, nullptr, nullptr);
    return g_chosen;
}

void SetUiLanguageForTesting(LANGID language) noexcept {
    InterlockedExchange(&g_override, language ? ShippedLanguage(language) : 0);
}
