# find_package(TarvenK3 CONFIG) for the TARVEN K3 SDK, as unpacked from its zip. Gives the imported
# target TarvenK3::TarvenK3Cmd: the header's folder, the import library for the compiler in use
# (TarvenK3Cmd.lib for MSVC and clang-cl, libTarvenK3Cmd.dll.a for MinGW) and TarvenK3Cmd.dll as
# its run-time location. 32-bit programs get lib/ and bin/; 64-bit ones lib64/ and bin64/, where
# the DLL forwards every call to the 32-bit library in a helper process. TarvenK3_RUNTIME_DIR
# names the folder to deploy beside the program.
get_filename_component(_tarven_root "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_tarven_lib "${_tarven_root}/lib64")
  set(_tarven_bin "${_tarven_root}/bin64")
else()
  set(_tarven_lib "${_tarven_root}/lib")
  set(_tarven_bin "${_tarven_root}/bin")
endif()

if(MSVC OR CMAKE_C_SIMULATE_ID STREQUAL "MSVC" OR CMAKE_CXX_SIMULATE_ID STREQUAL "MSVC")
  set(_tarven_implib "${_tarven_lib}/TarvenK3Cmd.lib")
else()
  set(_tarven_implib "${_tarven_lib}/libTarvenK3Cmd.dll.a")
endif()

if(NOT WIN32)
  set(TarvenK3_FOUND FALSE)
  set(TarvenK3_NOT_FOUND_MESSAGE "TarvenK3Cmd.dll is a Windows library: this project does not build for Windows")
elseif(NOT EXISTS "${_tarven_implib}" OR NOT EXISTS "${_tarven_bin}/TarvenK3Cmd.dll")
  set(TarvenK3_FOUND FALSE)
  set(TarvenK3_NOT_FOUND_MESSAGE "this SDK has no ${_tarven_implib} or ${_tarven_bin}/TarvenK3Cmd.dll")
elseif(NOT TARGET TarvenK3::TarvenK3Cmd)
  add_library(TarvenK3::TarvenK3Cmd SHARED IMPORTED)
  set_target_properties(TarvenK3::TarvenK3Cmd PROPERTIES
    IMPORTED_IMPLIB "${_tarven_implib}"
    IMPORTED_LOCATION "${_tarven_bin}/TarvenK3Cmd.dll"
    INTERFACE_INCLUDE_DIRECTORIES "${_tarven_root}/include")
endif()

# The folder to deploy beside the program: bin/, or bin64/ with its x86/ host folder.
set(TarvenK3_RUNTIME_DIR "${_tarven_bin}")

unset(_tarven_root)
unset(_tarven_lib)
unset(_tarven_bin)
unset(_tarven_implib)
