# The 64-bit test build: the same sources for x86-64 Windows, for machines
# that cannot run i386 code natively (see scripts/test.sh). The product is
# the i686 build.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(LITE_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
