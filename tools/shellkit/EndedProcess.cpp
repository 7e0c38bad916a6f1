#include "shellkit/EndedProcess.h"

bool HasEnded(DWORD process) {
    if (process == GetCurrentProcessId()) return true;
    const HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
    const bool running = handle && WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
    if (handle) CloseHandle(handle);
    return !running;
}
