# Cross-build for 32-bit Windows with Debian's clang, against the MinGW-w64 headers and
# import libraries in /usr/i686-w64-mingw32 and the runtime of MinGW-w64 GCC's posix
# thread model (libstdc++, libgcc, winpthreads), linked by lld. windres still compiles
# the resource script.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(MINGW_PREFIX i686-w64-mingw32)
set(MINGW_SYSROOT /usr/${MINGW_PREFIX})

set(CMAKE_C_COMPILER   clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET   ${MINGW_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${MINGW_PREFIX})
set(CMAKE_RC_COMPILER  ${MINGW_PREFIX}-windres)
set(CMAKE_SYSROOT ${MINGW_SYSROOT})

# clang does not find GCC's MinGW runtime by itself: its libstdc++ headers and its
# libraries live in GCC's own folder, one per thread model. Take the posix one.
file(GLOB VELMORA_MINGW_GCC_DIRS LIST_DIRECTORIES true /usr/lib/gcc/${MINGW_PREFIX}/*-posix)
list(SORT VELMORA_MINGW_GCC_DIRS COMPARE NATURAL ORDER DESCENDING)
list(GET VELMORA_MINGW_GCC_DIRS 0 MINGW_GCC_DIR)
if(NOT EXISTS ${MINGW_GCC_DIR}/include/c++)
  message(FATAL_ERROR "no posix MinGW-w64 GCC runtime under /usr/lib/gcc/${MINGW_PREFIX}")
endif()
# (clang's own guesses, <sysroot>/include/c++, do not exist, so these come first.)
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES
    ${MINGW_GCC_DIR}/include/c++ ${MINGW_GCC_DIR}/include/c++/${MINGW_PREFIX}
    ${MINGW_GCC_DIR}/include/c++/backward)
# lld resolves archives in any order, so winpthreads (which libgcc_eh and libstdc++ of
# the posix model need) may come first on the line.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${MINGW_GCC_DIR} -lpthread")

set(CMAKE_FIND_ROOT_PATH ${MINGW_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test executables run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
