# frame layer: the frame window and drag and drop (see CMakeLists.txt)
add_library(plux_toolkit_frame STATIC ${CMAKE_CURRENT_LIST_DIR}/frame.cpp)
target_include_directories(plux_toolkit_frame PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(plux_toolkit_frame PUBLIC plux_toolkit_views plux_toolkit_drawing)
if(WIN32)
  target_sources(plux_toolkit_frame PRIVATE
                 ${CMAKE_CURRENT_LIST_DIR}/frame_win32.cpp
                 ${CMAKE_CURRENT_LIST_DIR}/droptarget_win32.cpp
                 ${CMAKE_CURRENT_LIST_DIR}/windragcontainer_win32.cpp)
  target_link_libraries(plux_toolkit_frame PUBLIC user32 gdi32 ole32 shell32 uuid)
else()
  target_sources(plux_toolkit_frame PRIVATE ${CMAKE_CURRENT_LIST_DIR}/frame_headless.cpp)
endif()
