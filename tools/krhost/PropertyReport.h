#pragma once
#include <string>

// Asks the property-sheet handlers of a file for their pages, shows them in a real
// property sheet and prints each page's title and controls (and saves a PNG if asked).
class PropertyReport {
public:
    static int Run(const std::wstring& path, const std::wstring& screenshot);
};
