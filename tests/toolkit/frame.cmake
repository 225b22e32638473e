# Tests of the frame layer. toolkit_frame_tests: the portable routing of a
# frame without a window, native (also with sanitizers) and under Wine.
# toolkit_frame_win_tests: the frame window, its window procedure and drag and
# drop on Windows (under Wine, on the virtual display the test run provides).
file(GLOB FRAME_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/frame/*_test.cpp)
list(FILTER FRAME_TEST_SOURCES EXCLUDE REGEX "_win32_test\\.cpp$")
add_executable(toolkit_frame_tests ${FRAME_TEST_SOURCES})
target_link_libraries(toolkit_frame_tests PRIVATE plux_toolkit_frame GTest::gtest_main)
if(CMAKE_CROSSCOMPILING)
  add_test(NAME toolkit_frame_tests COMMAND toolkit_frame_tests)
  set_tests_properties(toolkit_frame_tests PROPERTIES LABELS "unit;wine" TIMEOUT 600)
else()
  gtest_discover_tests(toolkit_frame_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)
endif()

file(GLOB FRAME_WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/frame/*_win32_test.cpp
     ${CMAKE_CURRENT_LIST_DIR}/frame/*_win32.cpp)
if(WIN32 AND FRAME_WIN_TEST_SOURCES)
  add_executable(toolkit_frame_win_tests ${FRAME_WIN_TEST_SOURCES})
  target_link_libraries(toolkit_frame_win_tests PRIVATE plux_toolkit_frame psapi GTest::gtest_main)
  add_test(NAME toolkit_frame_win_tests COMMAND toolkit_frame_win_tests)
  set_tests_properties(toolkit_frame_win_tests PROPERTIES LABELS "unit;wine" TIMEOUT 900)
endif()
