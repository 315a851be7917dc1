# Third-party libraries: zlib from Debian's MinGW package, jansson, OpenSSL
# libcrypto and GoogleTest from the cross-built cache (scripts/setup.sh).
# jansson comes from its own prefix, built for size with a section per
# function so that the linker keeps only what the installer calls.
set(LITE_SIZE_DEPS_PREFIX "${LITE_DEPS_PREFIX}-size" CACHE PATH
    "Where the size-optimised cross-built libraries (jansson) are installed")
set(_prefix "${LITE_DEPS_PREFIX}")
set(_size_prefix "${LITE_SIZE_DEPS_PREFIX}")
foreach(_lib ${_size_prefix}/lib/libjansson.a ${_prefix}/lib/libcrypto.a
        ${_prefix}/lib/libgtest.a ${_prefix}/lib/libgtest_main.a)
  if(NOT EXISTS "${_lib}")
    message(FATAL_ERROR "${_lib} not found: run scripts/setup.sh")
  endif()
endforeach()

add_library(dep_jansson STATIC IMPORTED GLOBAL)
set_target_properties(dep_jansson PROPERTIES
  IMPORTED_LOCATION "${_size_prefix}/lib/libjansson.a"
  INTERFACE_INCLUDE_DIRECTORIES "${_size_prefix}/include")

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
