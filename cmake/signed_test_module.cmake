# TEST modules the installer's trust check accepts (or, spoilt on purpose,
# refuses): a signed trusted-certificate list embedded as resources, and an
# Authenticode signature made with the TEST certificates of
# scripts/make_code_signing_test_certs.sh. Nothing here is release material.
#
#   add_executable(test_setup ...)
#   lite_signed_test_module(test_setup)
#
# embeds SIGNATURE_DAT and TRUSTED_JSON into the target and writes
# ${LITE_SIGNED_MODULES_DIR}/test_setup.exe (BUILD/signed-modules), signed
# with SHA-1 and a nested SHA-256 signature by the leaf "publisher", whose
# identity the list names and whose root the tests trust while they run
# (the e2e fixture "trusted_test_root"). VerifySignedModule accepts that
# copy; the unsigned one in the target's own folder is refused.
#
# Options, all for spoilt variants:
#   NAME n            output name (default: the target's)
#   SIGNER leaf       leaf that signs (NONE: not signed)
#   NESTED_SIGNER leaf  leaf of the nested signatures (default: SIGNER)
#   DIGESTS d...      file digests, primary first (default: sha1 sha256)
#   LISTED leaf...    leaves the list names (default: publisher)
#   KEY_INDEX i       built-in key index stored (default: 3)
#   SIGNING_KEY i     TEST key that signs the list (default: KEY_INDEX)
#   VARIANT v         resources spoilt as scripts/sign_test_module.py names
#
# Leaves: publisher, unlisted, publisher_sha256, revoked, rogue_publisher,
# rogue_publisher_sha256 (see the certificate script).

set(LITE_SIGNED_MODULES_DIR ${CMAKE_BINARY_DIR}/signed-modules)
set(LITE_TEST_KEYS_DIR ${CMAKE_BINARY_DIR}/test-keys)
set(LITE_CODE_SIGNING_CERTS_DIR ${CMAKE_BINARY_DIR}/test-certs/code-signing)
# The revoked leaf's CRL is served by the loopback CDN.
set(LITE_CODE_SIGNING_CRL_ORIGIN "${LITE_DOWNLOAD_CDN_ORIGIN}/cdn")
find_program(PYTHON3 NAMES python3 REQUIRED)

set(_lite_signing_stamp ${LITE_CODE_SIGNING_CERTS_DIR}/made.stamp)
# Both scripts keep what exists, so a rebuild never changes the keys the
# built-in table was configured with.
add_custom_command(
  OUTPUT ${_lite_signing_stamp}
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/make_test_keys.sh ${LITE_TEST_KEYS_DIR}
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/make_code_signing_test_certs.sh
          ${LITE_CODE_SIGNING_CERTS_DIR} ${LITE_CODE_SIGNING_CRL_ORIGIN}
  COMMAND ${CMAKE_COMMAND} -E touch ${_lite_signing_stamp}
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make_test_keys.sh
          ${CMAKE_SOURCE_DIR}/scripts/make_code_signing_test_certs.sh
  VERBATIM)
add_custom_target(code_signing_test_certs DEPENDS ${_lite_signing_stamp})

function(lite_signed_test_module target)
  cmake_parse_arguments(ARG "" "NAME;SIGNER;NESTED_SIGNER;KEY_INDEX;SIGNING_KEY;VARIANT"
                        "DIGESTS;LISTED" ${ARGN})
  if(NOT ARG_NAME)
    set(ARG_NAME ${target})
  endif()
  if(NOT ARG_SIGNER)
    set(ARG_SIGNER publisher)
  endif()
  if(NOT ARG_NESTED_SIGNER)
    set(ARG_NESTED_SIGNER ${ARG_SIGNER})
  endif()
  if(NOT ARG_DIGESTS)
    set(ARG_DIGESTS sha1 sha256)
  endif()
  if(NOT ARG_LISTED)
    set(ARG_LISTED publisher)
  endif()
  if(NOT DEFINED ARG_KEY_INDEX)
    set(ARG_KEY_INDEX 3)
  endif()
  if(NOT DEFINED ARG_SIGNING_KEY)
    set(ARG_SIGNING_KEY ${ARG_KEY_INDEX})
  endif()
  if(NOT ARG_VARIANT)
    set(ARG_VARIANT none)
  endif()
  set(tool ${CMAKE_SOURCE_DIR}/scripts/sign_test_module.py)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}_resources)
  add_custom_command(
    OUTPUT ${dir}/module.rc
    COMMAND ${PYTHON3} ${tool} resources --certs ${LITE_CODE_SIGNING_CERTS_DIR}
            --keys ${LITE_TEST_KEYS_DIR} --listed ${ARG_LISTED} --key-index ${ARG_KEY_INDEX}
            --signing-key ${ARG_SIGNING_KEY} --variant ${ARG_VARIANT} --out-dir ${dir}
    DEPENDS ${tool} ${LITE_CODE_SIGNING_CERTS_DIR}/made.stamp code_signing_test_certs
    VERBATIM)
  target_sources(${target} PRIVATE ${dir}/module.rc)

  set(signed ${LITE_SIGNED_MODULES_DIR}/${ARG_NAME}.exe)
  add_custom_command(
    OUTPUT ${signed}
    COMMAND ${PYTHON3} ${tool} sign --certs ${LITE_CODE_SIGNING_CERTS_DIR} --signer ${ARG_SIGNER}
            --nested-signer ${ARG_NESTED_SIGNER} --digests ${ARG_DIGESTS}
            --in $<TARGET_FILE:${target}> --out ${signed}
    DEPENDS ${target} ${tool} ${LITE_CODE_SIGNING_CERTS_DIR}/made.stamp code_signing_test_certs
    VERBATIM)
  add_custom_target(${ARG_NAME}_signed ALL DEPENDS ${signed})
endfunction()
