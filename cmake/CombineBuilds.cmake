# Puts together, in one step, what the 32-bit and the 64-bit Windows builds make together: the
# one place that reads both build folders, which it takes as inputs. Each build installs only its
# own part of it, as an install component; this script installs both parts into one folder.
#
#   cmake -DWIN32_BUILD=DIR -DWIN64_BUILD=DIR -DPART=sdk|bridge_test -DDESTINATION=DIR
#         -P cmake/CombineBuilds.cmake
#
#   sdk          the SDK zip, DESTINATION/TarvenK3-SDK-<version>.zip (cmake/Package.cmake): the win64
#                build's bin64/TarvenK3Cmd.dll and lib64/ with the win32 build's files.
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
  # The zip's entries: the top folder's files and subfolders (no entry for the top folder itself).
  file(GLOB top RELATIVE ${DESTINATION} ${folder}/*)
  file(REMOVE ${folder}.zip)
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${folder}.zip --format=zip ${top}
                  WORKING_DIRECTORY ${DESTINATION} COMMAND_ERROR_IS_FATAL ANY)
endif()
