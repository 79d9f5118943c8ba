# Cross-build for 64-bit Windows with MinGW-w64 GCC. The product is the 32-bit build; this one
# is for machines that cannot run 32-bit programs (scripts/build.sh), where the tests run the
# same sources as a 64-bit program under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-gcc.cmake)
