#pragma once
#include <string>

// UTF-8 output on stdout/stderr, whether they are a terminal, a pipe or a file.
class Console {
public:
    static void Out(const std::wstring& text);
    static void Err(const std::wstring& text);
    static std::string ToUtf8(const std::wstring& text);
    // The text, then blanks up to the given number of terminal columns (a wide East Asian
    // character takes two), then two more.
    static std::wstring Pad(std::wstring text, size_t columns);
};
