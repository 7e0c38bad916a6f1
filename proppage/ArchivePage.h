#pragma once
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>

// The archive property page. It owns a heap copy of the file's path (its parameter) and
// never touches the handler that made it, so it may outlive that handler.
namespace ArchivePage {

// A page for this file; null when the page cannot be created.
HPROPSHEETPAGE Create(const std::wstring& path);

// Pages made and not yet released; the library stays loaded while any lives.
LONG LivePages();

// Fills the page from its path when its dialog is created; reacts to nothing else.
INT_PTR CALLBACK DialogProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// Frees the path copy when the sheet releases the page; allows every step.
UINT CALLBACK Callback(HWND window, UINT message, LPPROPSHEETPAGEW page);

}  // namespace ArchivePage
