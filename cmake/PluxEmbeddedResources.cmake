# Embeds the "DATA" resources a .rc file names (lines `<id or NAME> DATA
# "file"`) in a target that has no resource compiler: at build time a C++
# source with the bytes is generated and compiled into the target, where it
# registers them with the toolkit (gui/toolkit/embeddedresources.h).
# plux_embed_data_resources(target rc_file dir...) looks for the files in the
# given folders, in order.
function(plux_embed_data_resources target rc_file)
  set(script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/GenerateEmbeddedResources.cmake)
  set(dirs ${ARGN})
  file(STRINGS ${rc_file} lines REGEX "^[ \t]*[A-Za-z0-9_]+[ \t]+DATA[ \t]+\"")
  set(files)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" name "${line}")
    foreach(dir IN LISTS dirs)
      if(EXISTS ${dir}/${name})
        list(APPEND files ${dir}/${name})
        break()
      endif()
    endforeach()
  endforeach()
  get_filename_component(stem ${rc_file} NAME_WE)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_${stem}_resources.cpp)
  string(REPLACE ";" "|" dir_argument "${dirs}")
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DRC_FILE=${rc_file} "-DSEARCH_DIRS=${dir_argument}"
            -DOUTPUT=${output} -P ${script}
    DEPENDS ${rc_file} ${files} ${script}
    COMMENT "Embedding the pictures of ${rc_file}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()
