# viewtree layer: views and containers (portable; no platform files)
add_library(plux_toolkit_views STATIC
  ${CMAKE_CURRENT_LIST_DIR}/view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/view_attributes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewcontainer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewcontainer_draw.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewcontainer_events.cpp
  ${CMAKE_CURRENT_LIST_DIR}/viewcontainer_resize.cpp)
target_include_directories(plux_toolkit_views PUBLIC ${CMAKE_SOURCE_DIR})
# Drawing contexts and bitmaps come from the drawing layer; the frame is
# reached only through virtual calls, so the frame layer is not linked.
if(TARGET plux_toolkit_drawing)
  target_link_libraries(plux_toolkit_views PUBLIC plux_toolkit_drawing)
endif()
