# Tests of the drawing layer.
#   toolkit_drawing_tests      portable state logic (contexts without graphics,
#                              fonts, start-up counting): native, with sanitizers
#                              and under Wine.
#   toolkit_drawing_win_tests  GDI+ drawing read back from offscreen pixels,
#                              embedded "DATA" images, the resource stream and the
#                              GDI+ lifetime (Windows, under Wine).
file(GLOB DRAWING_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/drawing/*_test.cpp)
list(FILTER DRAWING_TEST_SOURCES EXCLUDE REGEX "_win32_test\\.cpp$")
add_executable(toolkit_drawing_tests ${DRAWING_TEST_SOURCES})
target_link_libraries(toolkit_drawing_tests PRIVATE plux_toolkit_drawing GTest::gtest_main)
if(CMAKE_CROSSCOMPILING)
  add_test(NAME toolkit_drawing_tests COMMAND toolkit_drawing_tests)
  set_tests_properties(toolkit_drawing_tests PROPERTIES LABELS "unit;wine" TIMEOUT 600)
else()
  gtest_discover_tests(toolkit_drawing_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)
endif()

file(GLOB DRAWING_WIN_TEST_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_LIST_DIR}/drawing/*_win32_test.cpp)
if(WIN32 AND DRAWING_WIN_TEST_SOURCES)
  add_executable(toolkit_drawing_win_tests ${DRAWING_WIN_TEST_SOURCES}
                 ${CMAKE_CURRENT_LIST_DIR}/drawing/fixtures/drawing_fixtures.rc)
  # windres finds the images next to the .rc file.
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/drawing/fixtures/drawing_fixtures.rc
                              PROPERTIES COMPILE_FLAGS
                              "--include-dir=${CMAKE_CURRENT_LIST_DIR}/drawing/fixtures")
  target_link_libraries(toolkit_drawing_win_tests PRIVATE plux_toolkit_drawing GTest::gtest_main)
  add_test(NAME toolkit_drawing_win_tests COMMAND toolkit_drawing_win_tests)
  set_tests_properties(toolkit_drawing_win_tests PROPERTIES LABELS "unit;wine" TIMEOUT 600)
endif()
