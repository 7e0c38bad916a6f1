#pragma once
#include <string>

// What the archiver stand-ins recorded when the library started them: krhost points
// them at a fresh folder (KESTREL_STANDIN_RECORDS) and prints what appears there.
class LaunchRecords {
public:
    LaunchRecords();
    ~LaunchRecords();
    LaunchRecords(const LaunchRecords&) = delete;
    LaunchRecords& operator=(const LaunchRecords&) = delete;

    // Waits up to `milliseconds` for the first record, then prints every record file.
    bool PrintWhenDone(unsigned milliseconds) const;

private:
    std::wstring Folder;
};
