#pragma once
// GoogleTest's Notification is built on std::mutex, which the win32 thread model does not
// have; this one is a Win32 event. Forced into every GoogleTest translation unit.
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() : Event(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(Event); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(Event); }
    void WaitForNotification() { WaitForSingleObject(Event, INFINITE); }

private:
    HANDLE Event;
};

}  // namespace testing::internal
