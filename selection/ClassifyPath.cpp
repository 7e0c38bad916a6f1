#include "selection/ClassifyPath.h"
SelectionItem ClassifyPath(const wchar_t* path) { return SelectionItem{path, NotAnArchive}; }
std::wstring SelectionFolder(const std::wstring& path) { return path; }
bool IsFolderPath(const std::wstring&) { return true; }
