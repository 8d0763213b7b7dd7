# Shared part of the MinGW-w64 toolchain files; KRAVENT_MINGW_TRIPLET names the target.
set(CMAKE_C_COMPILER ${KRAVENT_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KRAVENT_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KRAVENT_MINGW_TRIPLET}-windres)
set(CMAKE_NM ${KRAVENT_MINGW_TRIPLET}-nm)
set(CMAKE_AR ${KRAVENT_MINGW_TRIPLET}-gcc-ar-posix)
set(CMAKE_RANLIB ${KRAVENT_MINGW_TRIPLET}-gcc-ranlib-posix)

# Packages are searched under the roots only, so that no host package leaks in; each
# prefix given as -DCMAKE_PREFIX_PATH (the unpacked ZIP, for one) is a root of its own.
set(CMAKE_FIND_ROOT_PATH /usr/${KRAVENT_MINGW_TRIPLET} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread linked in, so that no MinGW runtime DLL is needed.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Programs built here run under wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
