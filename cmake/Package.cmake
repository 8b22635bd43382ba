# The SDK package for Windows developers, a zip (`make package`), its folders told in its
# README.txt (cmake/package/README.txt.in, with the version):
#   README.txt  the folders, where to start, the version
#   bin/        TarvenK3Cmd.dll, SamplePanel.exe, k3ctl.exe
#   include/    TarvenK3Cmd.h, TarvenK3Functions.h
#   lib/        TarvenK3Cmd.def, TarvenK3Cmd.lib (MSVC), libTarvenK3Cmd.dll.a (MinGW)
#   lib/cmake/TarvenK3/  the config and version files of find_package(TarvenK3 CONFIG)
#   bin64/      for 64-bit programs: the 64-bit TarvenK3Cmd.dll, and in bin64/x86/ its 32-bit host
#               TarvenK3Host.exe with the library (the real IO.dll and TarVenCOM.dll go there too)
#   lib64/      TarvenK3Cmd.lib (MSVC, x64), libTarvenK3Cmd.dll.a (MinGW, x64)
#   simulator/  the stand-in IO.dll and TarVenCOM.dll, TarvenK3Sim.exe (the simulated PC in a
#               window) and their README.txt; not for production
#   docs/       API.md, k3ctl.md, dotnet.md, bring-up.md
#   samples/    dotnet/K3Sample: the C# sample over the NuGet packages made beside the zip
#   tools/      for bringing up a unit: k3bus/ (decode and compare captures of the tuner bus),
#               sigrok/tarven_k3/ (the decoder for PulseView and sigrok-cli), k3bus-expect.cmd
#   SHA256SUMS  the SHA-256 of every other file, for `sha256sum -c`
# Each Windows build installs its own part, as the install component "sdk": the win64 build
# bin64/TarvenK3Cmd.dll and lib64/, the win32 build everything else. cmake/CombineBuilds.cmake
# installs both parts into one folder, signs, checksums and zips it. The binaries are shipped
# without their symbol tables (the static checks run on the unstripped build); the target
# sdk_files builds what this build's part needs.

# The zip's name and its top folder; cmake/CombineBuilds.cmake reads it from both builds' caches.
set(TARVEN_SDK_NAME TarvenK3-SDK-${PROJECT_VERSION} CACHE INTERNAL "the SDK zip's name")

# Removes the symbol tables of the installed binaries matching the patterns (relative to the
# install folder). strip writes a new PE time stamp, the current time unless SOURCE_DATE_EPOCH
# says otherwise: 0, as the linker leaves it.
function(tarven_install_stripped)
  set(patterns "")
  foreach(pattern IN LISTS ARGN)
    string(APPEND patterns " \"\${CMAKE_INSTALL_PREFIX}/${pattern}\"")
  endforeach()
  install(CODE "
    file(GLOB binaries${patterns})
    foreach(binary \${binaries})
      execute_process(COMMAND \${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
                              ${CMAKE_STRIP} --strip-all \${binary} COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  " COMPONENT sdk)
endfunction()

add_custom_target(sdk_files)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  # lib64/ is made by Source/TarvenK3Bridge.
  install(FILES $<TARGET_FILE:TarvenK3Bridge> DESTINATION bin64 COMPONENT sdk)
  install(FILES ${CMAKE_BINARY_DIR}/lib64/TarvenK3Cmd.lib ${CMAKE_BINARY_DIR}/lib64/libTarvenK3Cmd.dll.a
          DESTINATION lib64 COMPONENT sdk)
  tarven_install_stripped(bin64/*.dll)
  add_dependencies(sdk_files TarvenK3Bridge TarvenK3Bridge_lib64)
  return()
endif()

# Everything in lib/ is made from the library's export table, so new exports follow by
# themselves. The import library that linking the DLL writes (--out-implib) is never shipped:
# its symbols are __tcx_X@N, which no caller asks for.
set(sdk_dir ${CMAKE_BINARY_DIR}/sdk)

# The customer's .def lists the names exactly as the DLL exports them. MSVC's lib /def (and
# lld-link) keeps such an already decorated name as the symbol and asks the DLL for it as is.
file(MAKE_DIRECTORY ${sdk_dir}/lib)
set(customer_def ${sdk_dir}/lib/TarvenK3Cmd.def)
tarven_function_table(customer.def ${customer_def})
# GNU dlltool's form: "tcx_X@N == _tcx_X@N".
set(mingw_def ${sdk_dir}/TarvenK3Cmd.mingw.def)
tarven_function_table(mingw.def ${mingw_def})

find_program(TARVEN_LLD_LINK NAMES lld-link lld-link-14 REQUIRED)
set(msvc_lib ${sdk_dir}/lib/TarvenK3Cmd.lib)
set(mingw_lib ${sdk_dir}/lib/libTarvenK3Cmd.dll.a)
# lld-link with a .def and no inputs acts as `lib /def:`. llvm-dlltool 14 is no substitute for
# i386: for decorated stdcall names it asks the DLL for tcx_X@N or tcx_X, or writes weak
# aliases that link only without /SAFESEH.
add_custom_command(OUTPUT ${msvc_lib}
  COMMAND ${TARVEN_LLD_LINK} /machine:x86 /def:${customer_def} /out:${msvc_lib}
  DEPENDS ${customer_def})
# GNU dlltool names the library's members and symbols after the output path it is given: the
# file's name alone, from its folder, keeps the build folder's path out of them.
add_custom_command(OUTPUT ${mingw_lib}
  COMMAND ${CMAKE_COMMAND} -E env TMPDIR=${sdk_dir} ${CMAKE_DLLTOOL} -d ${mingw_def} -l libTarvenK3Cmd.dll.a
  DEPENDS ${mingw_def}
  WORKING_DIRECTORY ${sdk_dir}/lib)
add_custom_target(sdk_import_libraries ALL DEPENDS ${msvc_lib} ${mingw_lib})

install(FILES $<TARGET_FILE:TarvenK3Cmd> $<TARGET_FILE:SamplePanel> $<TARGET_FILE:k3ctl>
        DESTINATION bin COMPONENT sdk)
install(FILES ${CMAKE_SOURCE_DIR}/docs/k3ctl.md DESTINATION docs COMPONENT sdk)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/Source/TarvenK3Cmd/include/ DESTINATION include COMPONENT sdk)
install(FILES ${customer_def} ${msvc_lib} ${mingw_lib} DESTINATION lib COMPONENT sdk)
install(FILES $<TARGET_FILE:tarven_sim> $<TARGET_FILE:tarven_sim_tarvencom> $<TARGET_FILE:TarvenK3Sim>
              ${CMAKE_SOURCE_DIR}/Source/Simulator/README.txt
        DESTINATION simulator COMPONENT sdk)
install(FILES ${CMAKE_SOURCE_DIR}/docs/API.md ${CMAKE_SOURCE_DIR}/docs/dotnet.md ${CMAKE_SOURCE_DIR}/docs/bring-up.md
        DESTINATION docs COMPONENT sdk)
# The C# sample over the NuGet packages beside the zip (docs/dotnet.md).
install(FILES ${CMAKE_SOURCE_DIR}/samples/dotnet/K3Sample/K3Sample.csproj
              ${CMAKE_SOURCE_DIR}/samples/dotnet/K3Sample/Program.cs
        DESTINATION samples/dotnet/K3Sample COMPONENT sdk)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/tools/k3bus ${CMAKE_SOURCE_DIR}/tools/sigrok DESTINATION tools COMPONENT sdk
        FILES_MATCHING PATTERN "*.py")
install(FILES ${CMAKE_SOURCE_DIR}/tools/k3bus-expect.cmd DESTINATION tools COMPONENT sdk)

# README.txt at the top: the folders and where to start, with the SDK's version.
configure_file(${CMAKE_SOURCE_DIR}/cmake/package/README.txt.in ${sdk_dir}/README.txt @ONLY)
install(FILES ${sdk_dir}/README.txt DESTINATION . COMPONENT sdk)

include(CMakePackageConfigHelpers)
set(package_version_file ${sdk_dir}/TarvenK3ConfigVersion.cmake)
write_basic_package_version_file(${package_version_file}
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/package/TarvenK3Config.cmake ${package_version_file}
        DESTINATION lib/cmake/TarvenK3 COMPONENT sdk)
install(FILES $<TARGET_FILE:TarvenK3Host> $<TARGET_FILE:TarvenK3Cmd> DESTINATION bin64/x86 COMPONENT sdk)

tarven_install_stripped(bin/* simulator/*.dll simulator/*.exe bin64/x86/*)
add_dependencies(sdk_files TarvenK3Cmd SamplePanel k3ctl tarven_sim tarven_sim_tarvencom TarvenK3Sim TarvenK3Host
                 sdk_import_libraries)
