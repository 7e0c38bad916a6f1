#pragma once
#include <string>

// UTF-8 output on stdout/stderr, whether they are a terminal, a pipe or a file.
class Console {
public:
    static void Out(const std::wstring& text);
    static void Err(const std::wstring& text);
    static std::string ToUtf8(const std::wstring& text);
};
