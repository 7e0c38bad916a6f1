#pragma once
#include <vector>

#include "shellkit/StandinRecords.h"

// Prints what the archiver stand-ins received: the command line and the handed file,
// decoded (UTF-16 request files, narrow list files).
class LaunchReport {
public:
    static void Print(const std::vector<StandinRecord>& records);
};
