#pragma once
#include <windows.h>

#include <string>

// Saves a bitmap as a PNG file through GDI+; false when it could not.
class PngFile {
public:
    static bool Save(HBITMAP bitmap, const std::wstring& path);
};
