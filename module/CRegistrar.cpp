#include "module/CRegistrar.h"

#include <optional>
#include <string_view>

#include "support/UniqueKey.h"

namespace {

constexpr HRESULT BadScript = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
constexpr REGSAM KeyAccess = KEY_READ | KEY_WRITE | DELETE;

using ReplacementList = std::vector<std::pair<std::wstring, std::wstring>>;

// ---- The script as a tree ------------------------------------------------------------

enum class Marker { None, NoRemove, ForceRemove };

struct ScriptValue {
    std::wstring Name;
    std::wstring Data;
};

struct ScriptKey {
    std::wstring Name;
    Marker Mark = Marker::None;
    std::optional<std::wstring> Default;
    std::vector<ScriptValue> Values;
    std::vector<ScriptKey> Keys;
};

struct ScriptRoot {
    HKEY Key;
    ScriptKey Body;
};

struct RootName {
    const wchar_t* Name;
    HKEY Key;
};
const RootName RootNames[] = {{L"HKCR", HKEY_CLASSES_ROOT}, {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT}};

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// ---- Reading the text ----------------------------------------------------------------

struct Token {
    std::wstring Text;
    bool Quoted = false;
};

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// Tokens are separated by blanks; a quoted token runs to its closing quote ('' is a quote).
bool Tokenize(std::wstring_view text, std::vector<Token>& tokens) {
    size_t i = 0;
    for (;;) {
        while (i < text.size() && IsBlank(text[i])) ++i;
        if (i == text.size()) return true;
        Token token;
        if (text[i] == L'\'') {
            token.Quoted = true;
            for (++i;; ++i) {
                if (i == text.size()) return false;
                if (text[i] != L'\'') {
                    token.Text += text[i];
                } else if (i + 1 < text.size() && text[i + 1] == L'\'') {
                    token.Text += text[++i];
                } else {
                    ++i;
                    break;
                }
            }
        } else {
            while (i < text.size() && !IsBlank(text[i])) token.Text += text[i++];
        }
        tokens.push_back(std::move(token));
    }
}

// Replaces every %NAME% by its value; "%%" stands for one percent sign.
HRESULT Expand(std::wstring_view text, const ReplacementList& replacements, std::wstring& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%') {
            out += text[i];
            continue;
        }
        const size_t end = text.find(L'%', i + 1);
        if (end == std::wstring_view::npos) return BadScript;
        const std::wstring_view name = text.substr(i + 1, end - i - 1);
        if (name.empty()) {
            out += L'%';
        } else {
            const std::wstring* value = nullptr;
            for (const auto& [known, replacement] : replacements) {
                if (EqualsNoCase(known, name)) value = &replacement;
            }
            if (!value) return BadScript;
            out += *value;
        }
        i = end;
    }
    return S_OK;
}

struct Cursor {
    const std::vector<Token>& Tokens;
    const ReplacementList& Replacements;
    size_t Next = 0;

    bool AtEnd() const { return Next >= Tokens.size(); }
    bool At(std::wstring_view keyword) const {
        return !AtEnd() && !Tokens[Next].Quoted && EqualsNoCase(Tokens[Next].Text, keyword);
    }
    bool Take(std::wstring_view keyword) {
        if (!At(keyword)) return false;
        ++Next;
        return true;
    }
    // A name or a string, with its replacements made.
    HRESULT TakeText(std::wstring& out) {
        if (AtEnd() || At(L"{") || At(L"}") || At(L"=")) return BadScript;
        return Expand(Tokens[Next++].Text, Replacements, out);
    }
    // "= s 'text'"
    HRESULT TakeString(std::wstring& out) {
        if (!Take(L"=") || !Take(L"s")) return BadScript;
        return TakeText(out);
    }
};

HRESULT ParseKey(Cursor& cursor, ScriptKey& key);

// The entries between a key's braces, through the closing brace.
HRESULT ParseBody(Cursor& cursor, ScriptKey& key) {
    while (!cursor.Take(L"}")) {
        if (cursor.AtEnd()) return BadScript;
        HRESULT hr;
        if (cursor.Take(L"val")) {
            ScriptValue& value = key.Values.emplace_back();
            hr = cursor.TakeText(value.Name);
            if (SUCCEEDED(hr)) hr = cursor.TakeString(value.Data);
        } else {
            hr = ParseKey(cursor, key.Keys.emplace_back());
        }
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

// [NoRemove | ForceRemove] name [= s 'default'] [{ body }]
HRESULT ParseKey(Cursor& cursor, ScriptKey& key) {
    if (cursor.Take(L"NoRemove")) {
        key.Mark = Marker::NoRemove;
    } else if (cursor.Take(L"ForceRemove")) {
        key.Mark = Marker::ForceRemove;
    }
    HRESULT hr = cursor.TakeText(key.Name);
    if (FAILED(hr)) return hr;
    if (key.Name.empty()) return BadScript;
    if (cursor.At(L"=")) {
        hr = cursor.TakeString(key.Default.emplace());
        if (FAILED(hr)) return hr;
    }
    return cursor.Take(L"{") ? ParseBody(cursor, key) : S_OK;
}

HRESULT ParseScript(Cursor& cursor, std::vector<ScriptRoot>& roots) {
    while (!cursor.AtEnd()) {
        std::wstring name;
        HRESULT hr = cursor.TakeText(name);
        if (FAILED(hr)) return hr;
        HKEY root = nullptr;
        for (const RootName& known : RootNames) {
            if (EqualsNoCase(known.Name, name)) root = known.Key;
        }
        if (!root || !cursor.Take(L"{")) return BadScript;
        ScriptRoot& parsed = roots.emplace_back(ScriptRoot{root, {}});
        hr = ParseBody(cursor, parsed.Body);
        if (FAILED(hr)) return hr;
        if (!parsed.Body.Values.empty()) return BadScript;
    }
    return S_OK;
}

// ---- Writing and removing ------------------------------------------------------------

HRESULT FromStatus(LSTATUS status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

HRESULT SetString(HKEY key, const wchar_t* name, const std::wstring& data) {
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return FromStatus(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes));
}

HRESULT DeleteTree(HKEY parent, const std::wstring& name) {
    const LSTATUS status = RegDeleteTreeW(parent, name.c_str());
    return status == ERROR_FILE_NOT_FOUND ? S_OK : FromStatus(status);
}

HRESULT RegisterKey(HKEY parent, const ScriptKey& key) {
    if (key.Mark == Marker::ForceRemove) {
        const HRESULT hr = DeleteTree(parent, key.Name);
        if (FAILED(hr)) return hr;
    }
    HKEY raw = nullptr;
    HRESULT hr = FromStatus(RegCreateKeyExW(parent, key.Name.c_str(), 0, nullptr, 0, KeyAccess, nullptr, &raw, nullptr));
    if (FAILED(hr)) return hr;
    const UniqueKey opened(raw);
    if (key.Default) hr = SetString(raw, nullptr, *key.Default);
    for (size_t i = 0; SUCCEEDED(hr) && i < key.Values.size(); ++i) {
        hr = SetString(raw, key.Values[i].Name.c_str(), key.Values[i].Data);
    }
    for (size_t i = 0; SUCCEEDED(hr) && i < key.Keys.size(); ++i) hr = RegisterKey(raw, key.Keys[i]);
    return hr;
}

// True when the key holds no subkey and no value except, if the script owns it, its default.
bool HoldsNothingElse(HKEY key, bool ownsDefault) {
    DWORD subkeys = 0;
    DWORD values = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    if (subkeys != 0) return false;
    if (values == 0) return true;
    return ownsDefault && values == 1 &&
           RegQueryValueExW(key, nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

HRESULT UnregisterKey(HKEY parent, const ScriptKey& key) {
    if (key.Mark == Marker::ForceRemove) return DeleteTree(parent, key.Name);
    HKEY raw = nullptr;
    const LSTATUS status = RegOpenKeyExW(parent, key.Name.c_str(), 0, KeyAccess, &raw);
    if (status == ERROR_FILE_NOT_FOUND) return S_OK;
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    UniqueKey opened(raw);
    for (const ScriptKey& child : key.Keys) {
        const HRESULT hr = UnregisterKey(raw, child);
        if (FAILED(hr)) return hr;
    }
    if (key.Mark == Marker::NoRemove) return S_OK;
    for (const ScriptValue& value : key.Values) RegDeleteValueW(raw, value.Name.c_str());
    if (!HoldsNothingElse(raw, key.Default.has_value())) return S_OK;
    opened.Reset();
    const LSTATUS deleted = RegDeleteKeyW(parent, key.Name.c_str());
    return deleted == ERROR_FILE_NOT_FOUND ? S_OK : FromStatus(deleted);
}

std::wstring ModulePath(HINSTANCE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

HRESULT CRegistrar::AddReplacement(std::wstring_view name, std::wstring_view value) noexcept try {
    for (auto& [known, replacement] : Replacements) {
        if (EqualsNoCase(known, name)) {
            replacement = value;
            return S_OK;
        }
    }
    Replacements.emplace_back(name, value);
    return S_OK;
} catch (...) {
    return E_OUTOFMEMORY;
}

HRESULT CRegistrar::RunResource(HINSTANCE module, UINT id, bool doRegister) noexcept try {
    const std::wstring path = ModulePath(module);
    if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
    HRESULT hr = AddReplacement(L"MODULE", path);
    if (FAILED(hr)) return hr;

    // Every language carries the same script; the thread's locale picks which one is read.
    const LANGID language = LANGIDFROMLCID(ConvertDefaultLocale(GetThreadLocale()));
    HRSRC resource = FindResourceExW(module, L"REGISTRY", MAKEINTRESOURCEW(id), language);
    if (!resource) resource = FindResourceW(module, MAKEINTRESOURCEW(id), L"REGISTRY");
    if (!resource) return HRESULT_FROM_WIN32(GetLastError());
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    if (!bytes) return HRESULT_FROM_WIN32(GetLastError());
    std::string_view text(bytes, SizeofResource(module, resource));
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);

    std::wstring script(text.size(), L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                           script.data(), static_cast<int>(script.size()));
    if (length == 0 && !text.empty()) return BadScript;
    script.resize(length);
    return RunScript(script, doRegister);
} catch (...) {
    return E_OUTOFMEMORY;
}

HRESULT CRegistrar::RunScript(std::wstring_view script, bool doRegister) noexcept try {
    // The whole script is read before anything is written, so a malformed one changes nothing.
    std::vector<Token> tokens;
    if (!Tokenize(script, tokens)) return BadScript;
    Cursor cursor{tokens, Replacements};
    std::vector<ScriptRoot> roots;
    HRESULT hr = ParseScript(cursor, roots);
    for (size_t r = 0; SUCCEEDED(hr) && r < roots.size(); ++r) {
        for (size_t k = 0; SUCCEEDED(hr) && k < roots[r].Body.Keys.size(); ++k) {
            const ScriptKey& key = roots[r].Body.Keys[k];
            hr = doRegister ? RegisterKey(roots[r].Key, key) : UnregisterKey(roots[r].Key, key);
        }
    }
    return hr;
} catch (...) {
    return E_OUTOFMEMORY;
}
