#pragma once
#include <string>
#include <vector>

// Does with the library's Windows 11 command tree what Windows 11's Explorer does: creates its
// class through the library's DllGetClassObject (the package declares it; nothing is registered),
// hands it a shell item array of the paths, prints the tree it shows, invokes an entry by its
// title and draws the tree with its icons if asked.
class CommandReport {
public:
    static int Run(const std::vector<std::wstring>& paths, const std::wstring& invoke, const std::wstring& screenshot);
};
