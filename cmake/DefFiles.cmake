# Module-definition (.def) files. Each is written once, in the 32-bit form, where stdcall
# names carry their "@N" argument size; the 64-bit build has no such decoration, so its copy
# drops the "@N" that ends a line (the internal or imported name). Exported names on the left
# of "=" keep their decoration, so callers bind to the same strings on both builds.

function(tarven_arch_def in out_var)
  get_filename_component(name ${in} NAME)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/def/${name})
  file(READ ${in} text)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    string(REGEX REPLACE "@[0-9]+\n" "\n" text "${text}")
  endif()
  file(CONFIGURE OUTPUT ${out} CONTENT "${text}" @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${in})
  set(${out_var} ${out} PARENT_SCOPE)
endfunction()

# An import library for an outside DLL, made with GNU dlltool from our own .def, as the
# imported target `target`. In the 32-bit form -k strips "@N" from the name asked of the DLL.
# GNU dlltool names the library's members and symbols after the output path it is given: it
# gets the file's name alone, from the folder the library goes in, so no build path enters them.
function(tarven_import_library target def)
  tarven_arch_def(${def} archdef)
  set(lib ${CMAKE_CURRENT_BINARY_DIR}/lib${target}.dll.a)
  set(kill "")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(kill -k)
  endif()
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_COMMAND} -E env TMPDIR=${CMAKE_CURRENT_BINARY_DIR}
            ${CMAKE_DLLTOOL} ${kill} -d ${archdef} -l lib${target}.dll.a
    DEPENDS ${archdef}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  add_custom_target(${target}_implib DEPENDS ${lib})
  add_library(${target} UNKNOWN IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${lib})
  add_dependencies(${target} ${target}_implib)
endfunction()

# The library's exports as "tcx_X@N", read from its function list (one line
# "X(Name, result, kind, failure, N, (parameters), (arguments))" per function): the table that the
# library's, the 64-bit DLL's and the customers' export tables are made from. The library checks
# at compile time that this reading found every function (TARVEN_EXPORT_COUNT).
set(TARVEN_FUNCTION_LIST ${CMAKE_SOURCE_DIR}/Source/TarvenK3Cmd/include/TarvenK3Functions.h)
function(tarven_library_exports out_var)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TARVEN_FUNCTION_LIST})
  file(READ ${TARVEN_FUNCTION_LIST} text)
  string(REGEX MATCHALL "\n *X\\([A-Za-z0-9]+, [^,\n]+, [^,\n]+, [^,\n]+, [0-9]+," rows "${text}")
  list(TRANSFORM rows REPLACE "^\n *X\\(([A-Za-z0-9]+), .*, ([0-9]+),$" "tcx_\\1@\\2")
  set(${out_var} ${rows} PARENT_SCOPE)
endfunction()

# The library's own module-definition file, "_tcx_X@N = tcx_X@N" per function, in out_var.
function(tarven_library_def out_var)
  tarven_library_exports(names)
  set(text "LIBRARY TarvenK3Cmd.dll\nEXPORTS\n")
  foreach(name IN LISTS names)
    string(APPEND text "_${name} = ${name}\n")
  endforeach()
  set(def ${CMAKE_BINARY_DIR}/TarvenK3Cmd.def)
  file(CONFIGURE OUTPUT ${def} CONTENT "${text}")
  set(${out_var} ${def} PARENT_SCOPE)
endfunction()
