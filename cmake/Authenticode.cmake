# Authenticode signatures (SHA-256) on the SDK's production binaries, with osslsigncode, when the
# company's certificate is given:
#   TARVEN_SIGN_PFX             the certificate and its key, a PKCS#12 file
#   TARVEN_SIGN_PASSWORD        its password
#   TARVEN_SIGN_TIMESTAMP_URL   optional: an RFC 3161 time stamp server
# Without a time stamp server the signature's signing time is the package's time, so the same
# certificate and the same files give the same signed files. Without a certificate the package
# stays unsigned, and says so.

# The PE files of bin/, bin64/ and bin64/x86/ in folder; not simulator/, not for production.
function(tarven_sign_binaries folder unix_time)
  if("$ENV{TARVEN_SIGN_PFX}" STREQUAL "")
    message(NOTICE "Unsigned package: no certificate given (TARVEN_SIGN_PFX, TARVEN_SIGN_PASSWORD)")
    return()
  endif()
  if(NOT DEFINED ENV{TARVEN_SIGN_PASSWORD})
    message(FATAL_ERROR "TARVEN_SIGN_PFX is set, but not its password TARVEN_SIGN_PASSWORD")
  endif()
  find_program(TARVEN_OSSLSIGNCODE osslsigncode REQUIRED)
  set(time_of_signing -time ${unix_time})
  if(NOT "$ENV{TARVEN_SIGN_TIMESTAMP_URL}" STREQUAL "")
    set(time_of_signing -ts $ENV{TARVEN_SIGN_TIMESTAMP_URL})
  endif()

  # osslsigncode reads the password from a file that only this user may open, so that it is on
  # no command line.
  set(private ${folder}.signing)
  file(REMOVE_RECURSE ${private})
  file(MAKE_DIRECTORY ${private})
  file(CHMOD ${private} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  file(WRITE ${private}/password "$ENV{TARVEN_SIGN_PASSWORD}")

  file(GLOB binaries ${folder}/bin/*.dll ${folder}/bin/*.exe ${folder}/bin64/*.dll
                     ${folder}/bin64/x86/*.dll ${folder}/bin64/x86/*.exe)
  foreach(binary IN LISTS binaries)
    execute_process(COMMAND ${TARVEN_OSSLSIGNCODE} sign -pkcs12 $ENV{TARVEN_SIGN_PFX}
                            -readpass ${private}/password -h sha256 ${time_of_signing}
                            -in ${binary} -out ${private}/signed
                    OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE failed)
    if(failed)
      file(REMOVE_RECURSE ${private})
      message(FATAL_ERROR "osslsigncode could not sign ${binary}:\n${output}")
    endif()
    file(RENAME ${private}/signed ${binary})
  endforeach()
  file(REMOVE_RECURSE ${private})
  list(LENGTH binaries count)
  message(NOTICE "Signed ${count} binaries with $ENV{TARVEN_SIGN_PFX}")
endfunction()
