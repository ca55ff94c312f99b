# The CMake toolchain file for 64-bit Windows with the posix-thread mingw-w64 compilers.
stage_toolchain() {
  cat >"$toolchain" <<EOF
# Written by scripts/windows-cross-build: 64-bit Windows with the posix-thread mingw-w64 compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $host-gcc-posix)
set(CMAKE_CXX_COMPILER $host-g++-posix)
set(CMAKE_RC_COMPILER $host-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$host $prefix)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Test discovery and the tests run the programs through wine.
set(CMAKE_CROSSCOMPILING_EMULATOR $wine)
# Programs that need no mingw DLL beside them: libstdc++, libgcc, winpthread and zlib linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(ZLIB_LIBRARY /usr/$host/lib/libz.a CACHE FILEPATH "static zlib")
# pkg-config looks only at the Windows libraries of the prefix.
set(ENV{PKG_CONFIG_LIBDIR} "$prefix/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
EOF
}
