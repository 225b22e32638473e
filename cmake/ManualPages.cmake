# A manual page for each program, made by help2man from its --help and
# --version, gzipped as Debian keeps them, and installed into DESTINATION
# (component "release"):
#
#   plux_manual_pages(share/man/man1 nullmeter vsthost wavtool)
#
# Programs this build does not make are skipped. Without help2man the build
# goes on, and installing the release stops with the reason.

# The NAME line of each page.
set(_plux_summary_nullmeter "null test of audio files, folders of renders and VST 2.4 plug-ins")
set(_plux_summary_vsthost "command-line VST 2.4 host for testing plug-ins")
set(_plux_summary_wavtool "small audio-file jobs for null tests: peak, pair, compare, shift, synth")

find_program(PLUX_HELP2MAN help2man)

function(plux_manual_pages destination)
  if(NOT PLUX_HELP2MAN)
    message(WARNING "help2man not found: the release has no manual pages (scripts/install-deps.sh)")
    install(CODE "message(FATAL_ERROR \"the manual pages need help2man (scripts/install-deps.sh)\")"
            COMPONENT release)
    return()
  endif()
  set(pages "")
  foreach(program IN LISTS ARGN)
    if(NOT TARGET ${program})
      continue()
    endif()
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${PLUX_HELP2MAN} --no-info --section=1 "--name=${_plux_summary_${program}}"
              --output=${page} $<TARGET_FILE:${program}>
      COMMAND gzip -9nf ${page}
      DEPENDS ${program}
      COMMENT "Manual page of ${program}"
      VERBATIM)
    list(APPEND pages ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${destination} COMPONENT release)
  endforeach()
  add_custom_target(manual_pages ALL DEPENDS ${pages})
endfunction()
