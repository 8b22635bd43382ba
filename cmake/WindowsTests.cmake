# Windows test programs. The win64 build runs them here under wine64, one prefix per build
# folder, set up once per test run and its wineserver stopped at the end. The win32 build
# runs them under wine32: natively where this kernel runs 32-bit code, otherwise all in one
# boot of a small virtual machine (tools/vm32). Each 32-bit result is then its own CTest test.

set(TARVEN_WINE64 ${CMAKE_SOURCE_DIR}/tests/wine/wine64.sh)
set(TARVEN_WIN32_RESULTS ${CMAKE_BINARY_DIR}/win32-results)
set(TARVEN_WIN32_MANIFEST ${CMAKE_BINARY_DIR}/win32-tests.manifest)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_test(NAME wine_prefix COMMAND ${TARVEN_WINE64} ${CMAKE_BINARY_DIR} wineboot --init)
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
  add_test(NAME wine_stop COMMAND ${TARVEN_WINE64} ${CMAKE_BINARY_DIR} --stop)
  set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)
else()
  # Each program may take up to 10 minutes: the virtual machine runs in software emulation.
  add_test(NAME win32_run
    COMMAND ${CMAKE_COMMAND} -E env TARVEN_VM32_TEST_TIMEOUT=600
            ${CMAKE_SOURCE_DIR}/tools/vm32/run-tests.sh ${TARVEN_WIN32_MANIFEST} ${TARVEN_WIN32_RESULTS})
  # It runs after the package checks, which leave the customer program built against the SDK
  # package ready for it, and after the bridge's test folder is laid out (tests/bridge).
  set_tests_properties(win32_run PROPERTIES FIXTURES_SETUP win32
                                            FIXTURES_REQUIRED "sdk_customer;bridge_layout" TIMEOUT 1500)

  # add_combined_builds_test(NAME PART DESTINATION): the test that puts PART of this build and of
  # the win64 build together in DESTINATION (cmake/CombineBuilds.cmake). The win32 preset names
  # that build (CMakePresets.json).
  set(TARVEN_WIN64_BUILD "" CACHE PATH
      "the win64 build whose part of the SDK and of the bridge test this build takes")
  function(add_combined_builds_test name part destination)
    add_test(NAME ${name}
      COMMAND ${CMAKE_COMMAND} -DWIN32_BUILD=${CMAKE_BINARY_DIR} -DWIN64_BUILD=${TARVEN_WIN64_BUILD}
              -DPART=${part} -DDESTINATION=${destination} -P ${CMAKE_SOURCE_DIR}/cmake/CombineBuilds.cmake)
  endfunction()
  # The folder of the part bridge_test: the 32-bit run's bridge test (tests/bridge), and the
  # win64 build's library and stand-ins for the package's 64-bit customer check.
  set(TARVEN_BRIDGE_TEST ${CMAKE_BINARY_DIR}/bridge-test)
endif()

# add_windows_test(NAME COMMAND program.exe [args...] [WIN32_COMMAND shell command]
#                  [WORKING_DIRECTORY dir])
# PROGRAM is a file of this build's bin folder (or of WORKING_DIRECTORY), where the DLLs it
# loads stand beside it. The 32-bit run executes `wine program.exe args...` in that folder, or
# WIN32_COMMAND if given (a shell command line for the guest, where DISPLAY names a running X
# server).
function(add_windows_test name)
  cmake_parse_arguments(ARG "" "WIN32_COMMAND;WORKING_DIRECTORY" "COMMAND" ${ARGN})
  if(NOT ARG_WORKING_DIRECTORY)
    set(ARG_WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_test(NAME ${name}
      COMMAND ${TARVEN_WINE64} ${CMAKE_BINARY_DIR} ${ARG_COMMAND}
      WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
  else()
    set(command "${ARG_WIN32_COMMAND}")
    if(NOT command)
      list(JOIN ARG_COMMAND " " command)
      set(command "wine ${command}")
    endif()
    set_property(GLOBAL APPEND_STRING PROPERTY TARVEN_WIN32_TESTS
      "${name}\t${ARG_WORKING_DIRECTORY}\t${command}\n")
    add_test(NAME win32:${name}
      COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/win32-result.sh ${TARVEN_WIN32_RESULTS} ${name})
    set_tests_properties(win32:${name} PROPERTIES FIXTURES_REQUIRED win32)
  endif()
endfunction()

# A Python check that runs this build's programs under Wine: check.py BIN_DIR WINE..., with
# wine64 in the build's own prefix here, and in a copy of the bin folder in the 32-bit run.
function(add_wine_check name check)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_test(NAME ${name}
      COMMAND /usr/bin/python3 ${check} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY} ${TARVEN_WINE64} ${CMAKE_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
  else()
    add_windows_test(${name} WIN32_COMMAND "python3 ${check} . wine")
  endif()
endfunction()

function(tarven_write_win32_manifest)
  get_property(tests GLOBAL PROPERTY TARVEN_WIN32_TESTS)
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/win32-tests.manifest CONTENT "${tests}" @ONLY)
endfunction()
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL tarven_write_win32_manifest)
endif()
