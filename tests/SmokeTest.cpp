#include <gtest/gtest.h>
#include <windows.h>
extern "C" IMAGE_DOS_HEADER __ImageBase;
TEST(Smoke, LoadsString) {
  wchar_t buf[64] = {};
  ASSERT_GT(LoadStringW(reinterpret_cast<HINSTANCE>(&__ImageBase), 151, buf, 64), 0);
  EXPECT_STREQ(buf, L"Kestrel");
}
