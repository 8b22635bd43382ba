# Windows test programs. The win64 build runs them here under wine64, one prefix per build
# folder, set up once per test run and its wineserver stopped at the end.

set(TARVEN_WINE64 ${CMAKE_SOURCE_DIR}/tests/wine/wine64.sh)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_test(NAME wine_prefix COMMAND ${TARVEN_WINE64} ${CMAKE_BINARY_DIR} wineboot --init)
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
  add_test(NAME wine_stop COMMAND ${TARVEN_WINE64} ${CMAKE_BINARY_DIR} --stop)
  set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)
endif()

# add_windows_test(NAME COMMAND program.exe [args...])
# PROGRAM is a file of this build's bin folder, where the DLLs it loads stand beside it.
function(add_windows_test name)
  cmake_parse_arguments(ARG "" "" "COMMAND" ${ARGN})
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_test(NAME ${name}
      COMMAND ${TARVEN_WINE64} ${CMAKE_BINARY_DIR} ${ARG_COMMAND}
      WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
  endif()
endfunction()
