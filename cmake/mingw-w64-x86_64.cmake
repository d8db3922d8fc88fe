# Cross-builds the Windows program on Debian with mingw-w64 (x86_64-w64-mingw32, GCC 12).
#
# The POSIX threading variant of the compiler: GCC 12's win32 variant has no std::thread,
# std::mutex or std::condition_variable, which C++20's library (and GoogleTest's) expects. Its
# winpthreads is linked statically below, like the C++ runtime, so Skedula.exe needs no DLL
# besides Windows' own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SKEDULA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SKEDULA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SKEDULA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SKEDULA_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SKEDULA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One file that runs as it is: libgcc, libstdc++ and winpthreads go into the .exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The test programs run under Debian's 64-bit Wine, in the private prefix that the tests'
# fixture makes (tests/windows/wine-run).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/windows/wine-run)
