# Cross-compiling for 32-bit Windows with MinGW-w64: the product's build.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(LITE_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
