# Cross build of the 64-bit DLL and its tests with MinGW-w64, win32 thread model: the posix
# model links winpthreads, which takes a TLS slot per load and never frees it, so a host
# that loads and unloads the library for weeks would run out of slots.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KR_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${KR_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${KR_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER  ${KR_TRIPLE}-windres)
set(KR_WIDL            ${KR_TRIPLE}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${KR_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Tests and tools run under Wine; the prefix and environment come from cmake/WineTest.cmake.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
