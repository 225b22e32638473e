# Imported targets for the static mingw-w64 builds of libsndfile (with FLAC,
# Ogg Vorbis and Opus) and libsoxr that scripts/build-mingw-deps.sh installs:
#
#   include(cmake/MingwDeps.cmake)
#   target_link_libraries(tool PRIVATE plux::sndfile plux::soxr)
#
# PLUX_MINGW_DEPS_DIR is the prefix the script installed into. Each codec
# library is its own imported target carrying its dependencies, so CMake puts
# a static library before the ones it uses on the link line. Only for Windows
# builds; elsewhere the system's libsndfile and libsoxr are used.
if(NOT WIN32 OR TARGET plux::sndfile)
  return()
endif()

set(PLUX_MINGW_DEPS_DIR "${PROJECT_SOURCE_DIR}/build/mingw-deps" CACHE PATH
    "Prefix of the static mingw-w64 libsndfile and libsoxr (scripts/build-mingw-deps.sh)")

set(_plux_deps_libs sndfile FLAC vorbisenc vorbis opus ogg soxr)
set(_plux_deps_missing "")
foreach(_lib IN LISTS _plux_deps_libs)
  if(NOT EXISTS "${PLUX_MINGW_DEPS_DIR}/lib/lib${_lib}.a")
    list(APPEND _plux_deps_missing "lib/lib${_lib}.a")
  endif()
endforeach()
foreach(_header sndfile.h soxr.h)
  if(NOT EXISTS "${PLUX_MINGW_DEPS_DIR}/include/${_header}")
    list(APPEND _plux_deps_missing "include/${_header}")
  endif()
endforeach()
if(_plux_deps_missing)
  list(JOIN _plux_deps_missing ", " _plux_deps_missing)
  message(FATAL_ERROR
    "The static mingw-w64 libsndfile and libsoxr are not in "
    "PLUX_MINGW_DEPS_DIR=${PLUX_MINGW_DEPS_DIR} (missing: ${_plux_deps_missing}). "
    "Build them with: scripts/build-mingw-deps.sh ${PLUX_MINGW_DEPS_DIR}")
endif()

# GLOBAL, so that a directory other than the one including this file can link
# them too.
function(_plux_deps_import target name)
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    IMPORTED_LOCATION "${PLUX_MINGW_DEPS_DIR}/lib/lib${name}.a"
    INTERFACE_INCLUDE_DIRECTORIES "${PLUX_MINGW_DEPS_DIR}/include")
  if(ARGN)
    set_property(TARGET ${target} PROPERTY INTERFACE_LINK_LIBRARIES ${ARGN})
  endif()
endfunction()

# The script adds -lssp to sndfile.pc only if some object still calls the
# stack-protection or fortified functions of libssp.
set(_plux_deps_ssp "")
file(STRINGS "${PLUX_MINGW_DEPS_DIR}/lib/pkgconfig/sndfile.pc" _plux_deps_private
     REGEX "^Libs.private:")
if(_plux_deps_private MATCHES "-lssp")
  set(_plux_deps_ssp ssp)
endif()

_plux_deps_import(plux_mingw_deps::ogg ogg ${_plux_deps_ssp})
_plux_deps_import(plux_mingw_deps::opus opus ${_plux_deps_ssp})
_plux_deps_import(plux_mingw_deps::vorbis vorbis plux_mingw_deps::ogg ${_plux_deps_ssp})
_plux_deps_import(plux_mingw_deps::vorbisenc vorbisenc plux_mingw_deps::vorbis ${_plux_deps_ssp})
_plux_deps_import(plux_mingw_deps::FLAC FLAC plux_mingw_deps::ogg ${_plux_deps_ssp})
_plux_deps_import(plux::sndfile sndfile
  plux_mingw_deps::FLAC plux_mingw_deps::vorbisenc plux_mingw_deps::vorbis
  plux_mingw_deps::opus plux_mingw_deps::ogg ${_plux_deps_ssp})
_plux_deps_import(plux::soxr soxr)

unset(_lib)
unset(_header)
unset(_plux_deps_libs)
unset(_plux_deps_missing)
unset(_plux_deps_private)
unset(_plux_deps_ssp)
