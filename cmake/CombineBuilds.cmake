# Puts together, in one step, what the 32-bit and the 64-bit Windows builds make together: the
# one place that reads both build folders, which it takes as inputs. Each build installs only its
# own part of it, as an install component; this script installs both parts into one folder.
#
#   cmake -DWIN32_BUILD=DIR -DWIN64_BUILD=DIR -DPART=sdk|bridge_test -DDESTINATION=DIR
#         -P cmake/CombineBuilds.cmake
#
#   sdk          the SDK zip, DESTINATION/TarvenK3-SDK-<version>.zip (cmake/Package.cmake): the win64
#                build's bin64/TarvenK3Cmd.dll and lib64/ with the win32 build's files, signed
#                when a certificate is given (cmake/Authenticode.cmake), with SHA256SUMS inside
#                and beside it. The same commit gives the same zip, byte for byte.
#   bridge_test  the folder DESTINATION (tests/bridge) where the 32-bit run tests the 64-bit DLL:
#                the win64 build's test program, 64-bit library, stand-ins and 64-bit DLL, with
#                the win32 build's host, library and stand-ins in bin64/x86/. The package's 64-bit
#                customer check takes the win64 library and stand-ins from there too.
# Both builds must be built (make package builds what the zip needs, make test everything) and
# be of one version, which this script checks.

if(NOT PART MATCHES "^(sdk|bridge_test)$")
  message(FATAL_ERROR "PART is '${PART}': sdk or bridge_test")
endif()
foreach(path WIN32_BUILD WIN64_BUILD DESTINATION)
  if(NOT ${path})
    message(FATAL_ERROR "no ${path} given")
  endif()
  cmake_path(ABSOLUTE_PATH ${path} NORMALIZE)
endforeach()
foreach(build WIN32_BUILD WIN64_BUILD)
  if(NOT EXISTS "${${build}}/CMakeCache.txt")
    message(FATAL_ERROR "${build} '${${build}}' is not a configured build folder (cmake --preset ...)")
  endif()
  file(STRINGS ${${build}}/CMakeCache.txt name REGEX "^TARVEN_SDK_NAME:")
  string(REGEX REPLACE "^[^=]*=" "" ${build}_SDK "${name}")
  if(NOT ${build}_SDK)
    message(FATAL_ERROR "${build} '${${build}}' is not a Windows build of the SDK")
  endif()
endforeach()
if(NOT WIN32_BUILD_SDK STREQUAL WIN64_BUILD_SDK)
  message(FATAL_ERROR "The win32 build makes ${WIN32_BUILD_SDK}, the win64 build ${WIN64_BUILD_SDK}: "
    "configure both from the same sources")
endif()

set(folder ${DESTINATION})
if(PART STREQUAL "sdk")
  set(folder ${DESTINATION}/${WIN32_BUILD_SDK})
endif()
file(REMOVE_RECURSE ${folder})
foreach(build ${WIN64_BUILD} ${WIN32_BUILD})
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${build} --component ${PART} --prefix ${folder}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${build} lacks files of the ${PART} part: build it (cmake --build ${build})")
  endif()
endforeach()

if(PART STREQUAL "sdk")
  # The package's time, in the zip and in unstamped signatures: SOURCE_DATE_EPOCH if given, else
  # the last commit's time, else (outside git) a fixed one. Two builds of one commit agree on it.
  set(unix_time $ENV{SOURCE_DATE_EPOCH})
  if(NOT unix_time)
    execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${CMAKE_CURRENT_LIST_DIR}
                    OUTPUT_VARIABLE unix_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(NOT unix_time MATCHES "^[0-9]+$")
    set(unix_time 315532800)  # 1980-01-01, the earliest time a zip holds
  endif()

  include(${CMAKE_CURRENT_LIST_DIR}/Authenticode.cmake)
  tarven_sign_binaries(${folder} ${unix_time})

  # SHA256SUMS, in the form `sha256sum -c` reads: in the top folder, of every other file there;
  # beside the zip, of the zip.
  function(write_sha256sums folder)
    set(text "")
    foreach(name IN LISTS ARGN)
      file(SHA256 ${folder}/${name} hash)
      string(APPEND text "${hash}  ${name}\n")
    endforeach()
    file(WRITE ${folder}/SHA256SUMS "${text}")
  endfunction()
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${folder} ${folder}/*)
  list(SORT files)
  write_sha256sums(${folder} ${files})

  # The same files give the same zip: sorted entries, fixed permissions, the package's time.
  find_program(TARVEN_PYTHON NAMES python3 REQUIRED)
  file(REMOVE ${folder}.zip)
  execute_process(COMMAND ${TARVEN_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/ZipFolder.py ${folder} ${folder}.zip
                          ${unix_time} COMMAND_ERROR_IS_FATAL ANY)
  write_sha256sums(${DESTINATION} ${WIN32_BUILD_SDK}.zip)
endif()
