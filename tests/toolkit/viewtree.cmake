# Tests of the viewtree layer: portable, native (also with sanitizers) and in
# the Windows build as one run under Wine.
# The frame-backed tests (drag routing, focus advance, the editor) need the
# frame layer; the others need views and drawing only.
file(GLOB VIEW_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/views/*_test.cpp)
if(NOT TARGET plux_toolkit_frame)
  list(FILTER VIEW_TEST_SOURCES EXCLUDE REGEX "frame_backed_test\\.cpp$")
endif()
if(VIEW_TEST_SOURCES AND TARGET plux_toolkit_drawing)
  add_executable(toolkit_view_tests ${VIEW_TEST_SOURCES})
  target_link_libraries(toolkit_view_tests PRIVATE plux_toolkit_views GTest::gtest_main)
  if(TARGET plux_toolkit_frame)
    target_link_libraries(toolkit_view_tests PRIVATE plux_toolkit_frame)
  endif()
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME toolkit_view_tests COMMAND toolkit_view_tests)
    set_tests_properties(toolkit_view_tests PROPERTIES LABELS "unit;wine" TIMEOUT 600)
  else()
    gtest_discover_tests(toolkit_view_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)
  endif()
endif()
