# The binaries we ship run in customers' processes and on clean PCs: small, and importing only
# Windows system DLLs (and, for the library, IO.dll and TarVenCOM.dll). They are built for size,
# without C++ exceptions or RTTI, with the GCC and C++ runtime linked in but no thread library:
# the posix thread model's winpthreads, linked in by -static, registers a process-wide vectored
# exception handler and imports thread functions at start-up. Tests, stand-ins and tools are
# linked with -static (below) and keep what they need.
#
# tarven_shipped_binary(target)
function(tarven_shipped_binary target)
  set_target_properties(${target} PROPERTIES TARVEN_SHIPPED ON)
  target_compile_options(${target} PRIVATE
    -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -ffunction-sections -fdata-sections)
  target_link_options(${target} PRIVATE
    -static-libgcc -static-libstdc++ -Wl,--gc-sections)
endfunction()

# Every other Windows binary of the build is linked with -static; a shipped one must not be, as
# -static pulls winpthreads in. Stdcall callers that lost __stdcall must fail to link everywhere.
# No binary carries the time it was linked at (its PE header's and export table's time stamps
# stay 0), so the same sources link to the same bytes.
add_link_options($<$<NOT:$<BOOL:$<TARGET_PROPERTY:TARVEN_SHIPPED>>>:-static> -Wl,--disable-stdcall-fixup
                 -Wl,--no-insert-timestamp)
