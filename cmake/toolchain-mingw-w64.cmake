# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers. The programs it makes run on
# Windows, and here under Wine through scripts/wine-run.sh, which CTest puts in front of every test.
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake -DTREL_WITH_QT=OFF
#   <Qt for Windows>/bin/qt-cmake -S . -B build-windows -DQT_CHAINLOAD_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake
#       (scripts/test-windows.sh builds that Qt and configures so)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TREL_MINGW_TRIPLE x86_64-w64-mingw32)

# The POSIX thread model gives the full standard thread library (std::thread, std::mutex); the
# Win32 model of this compiler generation lacks it. Plain names serve where only one model is installed.
foreach(lang C CXX)
    if(lang STREQUAL "C")
        set(TREL_MINGW_NAMES ${TREL_MINGW_TRIPLE}-gcc-posix ${TREL_MINGW_TRIPLE}-gcc)
    else()
        set(TREL_MINGW_NAMES ${TREL_MINGW_TRIPLE}-g++-posix ${TREL_MINGW_TRIPLE}-g++)
    endif()
    find_program(TREL_MINGW_${lang} NAMES ${TREL_MINGW_NAMES} REQUIRED)
    set(CMAKE_${lang}_COMPILER ${TREL_MINGW_${lang}})
endforeach()
find_program(CMAKE_RC_COMPILER NAMES ${TREL_MINGW_TRIPLE}-windres REQUIRED)

# Libraries and headers come from the MinGW-w64 tree only; programs (the build tools) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Release at -O2, as the Linux build optimises: at -O3 this compiler generation reports a false
# -Wrestrict overlap inside std::string's operator+.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags for Release builds")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags for Release builds")

# How programs get the compiler's runtime (libgcc, libstdc++, winpthread) is decided per program:
# see trel_mingw_runtime in the top CMakeLists.txt.

# CTest runs every Windows program of the build through Wine.
get_filename_component(TREL_WINE_RUN ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TREL_WINE_RUN})
