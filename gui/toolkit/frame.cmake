# frame layer: sources of its library (see CMakeLists.txt)
