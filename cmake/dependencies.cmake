# Third-party libraries: zlib from Debian's MinGW package, jansson, OpenSSL
# libcrypto and GoogleTest from the cross-built cache (scripts/setup.sh).
set(_prefix "${LITE_DEPS_PREFIX}")
foreach(_lib jansson crypto gtest gtest_main)
  if(NOT EXISTS "${_prefix}/lib/lib${_lib}.a")
    message(FATAL_ERROR "lib${_lib}.a not found under ${_prefix}/lib: run scripts/setup.sh")
  endif()
endforeach()

add_library(dep_jansson STATIC IMPORTED GLOBAL)
set_target_properties(dep_jansson PROPERTIES
  IMPORTED_LOCATION "${_prefix}/lib/libjansson.a"
  INTERFACE_INCLUDE_DIRECTORIES "${_prefix}/include")

add_library(dep_crypto STATIC IMPORTED GLOBAL)
set_target_properties(dep_crypto PROPERTIES
  IMPORTED_LOCATION "${_prefix}/lib/libcrypto.a"
  INTERFACE_INCLUDE_DIRECTORIES "${_prefix}/include"
  INTERFACE_LINK_LIBRARIES "ws2_32;crypt32;bcrypt")

find_library(ZLIB_STATIC NAMES libz.a z REQUIRED)
add_library(dep_zlib STATIC IMPORTED GLOBAL)
set_target_properties(dep_zlib PROPERTIES IMPORTED_LOCATION "${ZLIB_STATIC}")

add_library(dep_gtest STATIC IMPORTED GLOBAL)
set_target_properties(dep_gtest PROPERTIES
  IMPORTED_LOCATION "${_prefix}/lib/libgtest.a"
  INTERFACE_INCLUDE_DIRECTORIES "${_prefix}/include")
add_library(dep_gmock STATIC IMPORTED GLOBAL)
set_target_properties(dep_gmock PROPERTIES
  IMPORTED_LOCATION "${_prefix}/lib/libgmock.a"
  INTERFACE_INCLUDE_DIRECTORIES "${_prefix}/include"
  INTERFACE_LINK_LIBRARIES dep_gtest)
