# Registers a GoogleTest program with CTest: natively each case is its own
# test; in the Windows build the whole program is one test run under Wine.
include(GoogleTest)
function(plux_register_gtest target label)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES LABELS "${label};wine" TIMEOUT 900)
  elseif(PLUX_SANITIZE MATCHES "address")
    # fontconfig's process-wide configuration is never freed: see the file.
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ${label}
      ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/sanitizers/lsan.supp")
  else()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ${label})
  endif()
endfunction()
