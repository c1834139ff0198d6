# Writes the bundle's Info.plist from its template.
#   cmake -DTEMPLATE=... -DOUTPUT=... -DVERSION=... [-DPATIENT_JSON=file] -P GenerateInfoPlist.cmake
# With a patient file, its bytes go under "NorvelPatientBootstrap" as base64;
# without one the key is left out and the app shows its built-in patient.
set(NORVEL_VERSION "${VERSION}")
set(NORVEL_PATIENT_BOOTSTRAP_ENTRY "")
if(PATIENT_JSON)
  execute_process(
    COMMAND base64 -w0 "${PATIENT_JSON}"
    OUTPUT_VARIABLE encoded
    RESULT_VARIABLE result
    ERROR_VARIABLE error)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "base64 failed on ${PATIENT_JSON}: ${error}")
  endif()
  # base64 output holds only A-Z, a-z, 0-9, "+", "/" and "=": nothing that
  # needs escaping in XML.
  set(NORVEL_PATIENT_BOOTSTRAP_ENTRY
    "\t<key>NorvelPatientBootstrap</key>\n\t<string>${encoded}</string>\n")
endif()
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
