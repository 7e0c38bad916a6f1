#pragma once
#include <string_view>

// True when the file's extension is one the property page knows and the classes root
// currently associates it with the archiver's ProgID for that kind of archive.
bool IsAssociatedWithArchiver(std::wstring_view path);
