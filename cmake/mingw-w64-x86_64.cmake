# SPDX-License-Identifier: MIT
# Cross-builds for 64-bit Windows with Debian's MinGW-w64 compilers, the
# "-posix" ones (std::thread and std::mutex need the posix thread model).
# Used for Qt itself and for the program; scripts/build-windows.sh passes
# it. Test executables run through Wine: ctest starts them with the
# emulator below; Wine finds their DLLs through WINEPATH (the folders of
# MINGW_RUNTIME_DIRS and Qt's bin folder, as Z:/usr/... paths). Wine hands
# no QT_* variable of the host to a Windows program: a test that needs
# QT_QPA_PLATFORM=offscreen there sets WINEQT_QPA_PLATFORM=offscreen, which
# Wine passes on without its WINE prefix.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)
set(CMAKE_AR ${MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries, headers and CMake packages come from the MinGW sysroot and from
# whatever the caller adds to CMAKE_FIND_ROOT_PATH or CMAKE_PREFIX_PATH (the
# Windows Qt); programs (moc, uic, rcc) from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# The folders of the MinGW runtime DLLs (libstdc++-6.dll, libgcc_s_seh-1.dll,
# libwinpthread-1.dll), for WINEPATH and for copying next to the program.
file(GLOB MINGW_RUNTIME_DIRS LIST_DIRECTORIES true
     /usr/lib/gcc/${MINGW_TRIPLET}/*-posix)
list(APPEND MINGW_RUNTIME_DIRS /usr/${MINGW_TRIPLET}/lib)

find_program(WINE_EXECUTABLE NAMES wine)
if(WINE_EXECUTABLE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_EXECUTABLE})
endif()
