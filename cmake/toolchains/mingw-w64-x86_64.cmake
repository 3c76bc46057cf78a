# Cross-builds Zalvo for 64-bit Windows with Debian's MinGW-w64 (posix
# threads, so std::thread and std::mutex work), packages
# g++-mingw-w64-x86-64-posix and binutils-mingw-w64-x86-64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZALVO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZALVO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZALVO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZALVO_MINGW_TRIPLET}-windres)

# Libraries and headers come from the MinGW sysroot only; programs (the
# compilers, objdump) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ZALVO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The directories holding the runtime DLLs a program linked against the
# shared C++ runtime needs: libstdc++-6.dll and libgcc_s_seh-1.dll, and
# libwinpthread-1.dll. Wine finds them through WINEPATH.
set(ZALVO_MINGW_RUNTIME_DIRS
    /usr/lib/gcc/${ZALVO_MINGW_TRIPLET}/12-posix
    /usr/${ZALVO_MINGW_TRIPLET}/lib)
