# Cross-compiles with mingw-w64 (posix threads) and runs what it builds under Wine through
# tools/wine-run. QV_ARCH selects the target: i686 builds the runtime and its tests; x86_64 builds the
# same code for wine64, a check of 64-bit cleanliness that the scripts no longer run.
set(QV_ARCH "i686" CACHE STRING "mingw-w64 target: i686 or x86_64")
set_property(CACHE QV_ARCH PROPERTY STRINGS i686 x86_64)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QV_ARCH})

set(QV_MINGW_PREFIX ${QV_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${QV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QV_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QV_MINGW_PREFIX}-windres)
set(CMAKE_ASM_COMPILER ${QV_MINGW_PREFIX}-gcc-posix)

set(CMAKE_FIND_ROOT_PATH /usr/${QV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run)
