# A release signed for tagging: with a signing key given, the build signs
# lite_installer.exe into signed/lite_installer.exe with an untagged dummy
# certificate in the signature (scripts/sign_build.sh).
set(LITE_SIGNING_CERT "" CACHE FILEPATH "Code-signing certificate chain (PEM)")
set(LITE_SIGNING_KEY "" CACHE FILEPATH "Its private key (PEM); when set, the build signs")
set(LITE_TIMESTAMP_URL "" CACHE STRING "Timestamp server for the signature (none when empty)")
if(LITE_SIGNING_KEY)
  if(NOT EXISTS "${LITE_SIGNING_KEY}" OR NOT EXISTS "${LITE_SIGNING_CERT}")
    message(FATAL_ERROR
      "LITE_SIGNING_KEY is set: LITE_SIGNING_CERT and LITE_SIGNING_KEY must both name existing files")
  endif()
  set(lite_timestamp_args "")
  if(LITE_TIMESTAMP_URL)
    set(lite_timestamp_args -t "${LITE_TIMESTAMP_URL}")
  endif()
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/signed/lite_installer.exe
    COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/sign_build.sh ${CMAKE_BINARY_DIR}
            ${LITE_SIGNING_CERT} ${LITE_SIGNING_KEY} ${lite_timestamp_args}
    DEPENDS lite_installer ${CMAKE_SOURCE_DIR}/scripts/sign_build.sh
    VERBATIM)
  add_custom_target(signed_installer ALL DEPENDS ${CMAKE_BINARY_DIR}/signed/lite_installer.exe)
endif()
