# The drawing layer: contexts, offscreen contexts, bitmaps, fonts, the GDI+
# start-up and the resource stream. Portable files keep the state and the
# decisions; the *_win32.cpp files draw with GDI+, the *_headless.cpp files
# stand in for them in the native build.
add_library(plux_toolkit_drawing STATIC
  ${CMAKE_CURRENT_LIST_DIR}/bitmap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/drawcontext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/drawcontext_frame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/drawingobjects.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fontdesc.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gdiplusglobals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/offscreencontext.cpp)
target_include_directories(plux_toolkit_drawing PUBLIC ${CMAKE_SOURCE_DIR})
# Only drawcontext_frame.cpp calls into a frame; UBSan's dynamic type check
# there would pull in the view layer's type information.
if(PLUX_SANITIZE MATCHES "undefined" AND NOT WIN32)
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/drawcontext_frame.cpp PROPERTIES
                              COMPILE_OPTIONS -fno-sanitize=vptr)
endif()
if(WIN32)
  target_sources(plux_toolkit_drawing PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/bitmap_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/drawcontext_gdiplus_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fontdesc_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gdiplusglobals_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/offscreencontext_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pluginmodule_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/resourcestream_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/textconversion_win32.cpp)
  target_link_libraries(plux_toolkit_drawing PUBLIC gdiplus ole32 uuid gdi32 user32)
else()
  target_sources(plux_toolkit_drawing PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/bitmap_headless.cpp
    ${CMAKE_CURRENT_LIST_DIR}/drawcontext_headless.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gdiplusglobals_headless.cpp)
endif()
