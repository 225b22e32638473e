# What a release installs, and the packages cpack makes of it:
#
#   Windows build: <name>-<version>-windows-x64.zip   the programs, the DLLs in
#                  VstPlugins\ and a plain-text guide, in one folder
#   native build:  <name>_<version>_<arch>.deb        the programs in /usr/bin,
#                  their manual pages, the shared objects in /usr/lib/vst
#
# each beside its SHA-256 sum, in <build>/release (scripts/package.sh copies
# them to out/release). Only the component "release" goes in: the tree's
# other targets (tests, fixtures, GoogleTest) install nothing into a package.
# A program or plug-in this build does not make is left out here; the
# packaging tests insist on all of them.

set(PLUX_RELEASE_PROGRAMS nullmeter vsthost wavtool)
set(PLUX_RELEASE_PLUGINS nulltest tonegen)
# The zip's name, and the name of the one folder it unpacks to.
set(PLUX_ZIP_NAME ${PLUX_PACKAGE_NAME}-${PROJECT_VERSION}-windows-x64)

if(WIN32)
  set(_plux_bin_dir .)
  set(_plux_vst_dir VstPlugins)
else()
  # The folder Linux hosts scan for VST 2 plug-ins by default.
  set(_plux_bin_dir bin)
  set(_plux_vst_dir lib/vst)
endif()

foreach(_program IN LISTS PLUX_RELEASE_PROGRAMS)
  if(TARGET ${_program})
    install(TARGETS ${_program} RUNTIME DESTINATION ${_plux_bin_dir} COMPONENT release)
  endif()
endforeach()
# The file alone: a DLL's import library is no use to a host. The plug-ins
# are linked without symbols already.
foreach(_plugin IN LISTS PLUX_RELEASE_PLUGINS)
  if(TARGET ${_plugin})
    install(FILES $<TARGET_FILE:${_plugin}> DESTINATION ${_plux_vst_dir} COMPONENT release)
  endif()
endforeach()

if(WIN32)
  # CRLF: older versions of Notepad show a file of LF lines as one line.
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows-guide.txt.in
                 ${CMAKE_BINARY_DIR}/packaging/README.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/README.txt DESTINATION . COMPONENT release)
elseif(NOT PLUX_SANITIZE)
  include(${CMAKE_CURRENT_LIST_DIR}/ManualPages.cmake)
  plux_manual_pages(share/man/man1 ${PLUX_RELEASE_PROGRAMS})
endif()

set(CPACK_PACKAGE_NAME ${PLUX_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR KESTRAVON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "VST 2.4 null-test meter and test-tone plug-ins, with a command-line null test")
# The package's long description, one line of the control file each.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "nulltest measures two versions of one recording against each other (left"
  "against right: RMS and peak of left, right, mid and side, in dB FS and in"
  "bits); tonegen plays a 997 Hz test tone. Both are VST 2.4 plug-ins for"
  "Linux hosts, installed in /usr/lib/vst. nullmeter runs the same null test"
  "on audio files, folders of renders and plug-ins; vsthost is a command-line"
  "VST 2.4 host; wavtool makes and edits test files.")
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};release;/")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/release)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ${PLUX_ZIP_NAME})
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "KESTRAVON <releases@kestravon.invalid>")
  # dpkg-shlibdeps names the package of every shared library the programs
  # and plug-ins link; the editors' fonts are files, not libraries.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()
include(CPack)
