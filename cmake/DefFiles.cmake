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

# The tables that follow from the function list (TarvenK3Functions.h): the library's, the
# bridge's and the customers' module definitions, and the .NET package's C# declarations. They
# are written by cmake/FunctionTables.cpp, compiled at configure time for this machine (in a cross
# build too), which expands the list itself; no part of the build reads the header as text.
set(TARVEN_FUNCTION_TABLES_SOURCE ${CMAKE_SOURCE_DIR}/cmake/FunctionTables.cpp)
set(TARVEN_FUNCTION_HEADERS ${CMAKE_SOURCE_DIR}/Source/TarvenK3Cmd/include/TarvenK3Functions.h
                            ${CMAKE_SOURCE_DIR}/Source/TarvenK3Cmd/include/TarvenK3Cmd.h)
set(TARVEN_FUNCTION_TABLES ${CMAKE_BINARY_DIR}/function-tables/function-tables)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${TARVEN_FUNCTION_TABLES_SOURCE} ${TARVEN_FUNCTION_HEADERS})
set(stale FALSE)
foreach(source IN LISTS TARVEN_FUNCTION_TABLES_SOURCE TARVEN_FUNCTION_HEADERS)
  if(${source} IS_NEWER_THAN ${TARVEN_FUNCTION_TABLES})
    set(stale TRUE)
  endif()
endforeach()
if(stale)
  find_program(TARVEN_HOST_CXX NAMES c++ g++ clang++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/function-tables)
  execute_process(
    COMMAND ${TARVEN_HOST_CXX} -std=c++17 -Wall -Wextra -Werror -I${CMAKE_SOURCE_DIR}/Source/TarvenK3Cmd/include
            -o ${TARVEN_FUNCTION_TABLES} ${TARVEN_FUNCTION_TABLES_SOURCE}
    RESULT_VARIABLE failed ERROR_VARIABLE errors)
  if(failed)
    message(FATAL_ERROR "cannot build the function tables' writer:\n${errors}")
  endif()
endif()

# tarven_function_table(TABLE OUT): writes TABLE (a name cmake/FunctionTables.cpp knows) to OUT,
# touching OUT only when its text changes.
function(tarven_function_table table out)
  set(written ${CMAKE_BINARY_DIR}/function-tables/${table})
  execute_process(COMMAND ${TARVEN_FUNCTION_TABLES} ${table} ${written} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "function-tables could not write ${table}")
  endif()
  configure_file(${written} ${out} COPYONLY)
endfunction()
