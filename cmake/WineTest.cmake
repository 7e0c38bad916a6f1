# Tests run under Wine in a private prefix inside the build folder.
set(KR_WINE_ENV
  "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix"
  "WINEDEBUG=-all"
  "WINEARCH=win64"
  "WINEDLLOVERRIDES=mscoree,mshtml=")

# kr_add_test(NAME SOURCES...): one test executable, one ctest entry (each Wine start costs a second).
function(kr_add_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE krtestenvironment krtestsupport krcore krresources GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${KR_WINE_ENV}" TIMEOUT 120)
endfunction()
