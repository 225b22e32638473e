# viewtree layer: views and containers (portable; no platform files)
add_library(plux_toolkit_views STATIC
  ${CMAKE_CURRENT_LIST_DIR}/view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/view_attributes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewcontainer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewcontainer_draw.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewcontainer_events.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewcontainer_resize.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewtree_frame.cpp)
target_include_directories(plux_toolkit_views PUBLIC ${CMAKE_SOURCE_DIR})
# The frame is reached through the CView interface and viewtree_frame.cpp, so
# the frame layer is not linked; UBSan's dynamic type check in that one file
# would pull in the frame's type information.
if(PLUX_SANITIZE MATCHES "undefined" AND NOT WIN32)
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/viewtree_frame.cpp PROPERTIES COMPILE_OPTIONS
                              -fno-sanitize=vptr)
endif()
# Drawing contexts and bitmaps come from the drawing layer.
if(TARGET plux_toolkit_drawing)
  target_link_libraries(plux_toolkit_views PUBLIC plux_toolkit_drawing)
endif()
