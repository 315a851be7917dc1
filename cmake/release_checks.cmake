# What a release must never carry, refused before anything is configured:
# TEST keys, a missing keys file, and service hosts that are loopback
# addresses or reserved placeholder names. Every refusal is listed at once.
set(lite_refusals "")

if(LITE_ALLOW_TEST_KEYS)
  list(APPEND lite_refusals
       "LITE_ALLOW_TEST_KEYS is ON: a release builds in the release public keys, never generated TEST keys.")
endif()

if(NOT LITE_BUILT_IN_KEYS_FILE)
  list(APPEND lite_refusals
       "LITE_BUILT_IN_KEYS_FILE is not set: a release names the file of the ten release public keys.")
else()
  get_filename_component(lite_keys_path "${LITE_BUILT_IN_KEYS_FILE}" ABSOLUTE)
  if(NOT EXISTS "${lite_keys_path}")
    list(APPEND lite_refusals "LITE_BUILT_IN_KEYS_FILE: ${lite_keys_path} does not exist.")
  else()
    # Generated TEST keys (scripts/make_test_keys.sh) lie beside their
    # private halves; release public keys never do.
    get_filename_component(lite_keys_dir "${lite_keys_path}" DIRECTORY)
    file(GLOB lite_key_neighbours "${lite_keys_dir}/*.pem" "${lite_keys_dir}/*.key")
    foreach(neighbour IN LISTS lite_key_neighbours)
      file(STRINGS "${neighbour}" lite_private_lines REGEX "PRIVATE KEY" LIMIT_COUNT 1)
      if(lite_private_lines)
        list(APPEND lite_refusals
             "LITE_BUILT_IN_KEYS_FILE: ${lite_keys_path} lies beside the private key ${neighbour}: these are TEST keys.")
        break()
      endif()
    endforeach()
  endif()
endif()

# The host of an origin or host name, lower case; empty when there is none.
function(lite_host_of value out)
  string(TOLOWER "${value}" value)
  if(value MATCHES "^[a-z][a-z0-9+.-]*://(\\[[^]/]*\\]|[^/:?#]*)")
    set(host "${CMAKE_MATCH_1}")
  elseif(value MATCHES "^[^/:?#]+$")
    set(host "${value}")
  else()
    set(host "")
  endif()
  string(REGEX REPLACE "\\.$" "" host "${host}")
  set(${out} "${host}" PARENT_SCOPE)
endfunction()

foreach(var LITE_DOWNLOAD_CDN_ORIGIN LITE_LEGAL_SITE_ORIGIN LITE_API_ORIGIN LITE_ABT_API_ORIGIN
            LITE_WEBNTP_ORIGIN LITE_STATISTICS_ORIGIN LITE_REPORT_ORIGIN LITE_CRASH_REPORT_ORIGIN
            LITE_BROWSER_SITE_BASE_HOST)
  lite_host_of("${${var}}" host)
  if(host STREQUAL "")
    list(APPEND lite_refusals "${var} (${${var}}) names no host.")
  elseif(host MATCHES "^(localhost|.*\\.localhost|127\\.[0-9.]+|0\\.0\\.0\\.0|\\[::1?\\]|\\[::ffff:127\\..*\\])$")
    list(APPEND lite_refusals "${var} (${${var}}) is a loopback address: the test services' host.")
  elseif(host MATCHES "(^|\\.)(example\\.(com|net|org)|example|test|invalid)$")
    list(APPEND lite_refusals
         "${var} (${${var}}) is a reserved placeholder name: configure the real service host.")
  endif()
endforeach()

if(lite_refusals)
  list(JOIN lite_refusals "\n  - " lite_refusal_text)
  message(FATAL_ERROR "This release build is refused:\n  - ${lite_refusal_text}\n")
endif()
