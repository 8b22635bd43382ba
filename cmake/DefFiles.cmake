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
function(tarven_import_library target def)
  tarven_arch_def(${def} archdef)
  set(lib ${CMAKE_CURRENT_BINARY_DIR}/lib${target}.dll.a)
  set(kill "")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(kill -k)
  endif()
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_COMMAND} -E env TMPDIR=${CMAKE_CURRENT_BINARY_DIR}
            ${CMAKE_DLLTOOL} ${kill} -d ${archdef} -l ${lib}
    DEPENDS ${archdef}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  add_custom_target(${target}_implib DEPENDS ${lib})
  add_library(${target} UNKNOWN IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${lib})
  add_dependencies(${target} ${target}_implib)
endfunction()

# The library's exports as "tcx_X@N", from its .def lines "_tcx_X@N = tcx_X@N": the table that
# the customers' import libraries and the 64-bit DLL's exports are made from.
function(tarven_library_exports out_var)
  set(def ${CMAKE_SOURCE_DIR}/Source/TarvenK3Cmd/TarvenK3Cmd.def)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  file(STRINGS ${def} lines REGEX "^_[A-Za-z0-9_]+@[0-9]+ *=")
  list(TRANSFORM lines REPLACE "^_([A-Za-z0-9_]+@[0-9]+).*" "\\1")
  set(${out_var} ${lines} PARENT_SCOPE)
endfunction()
