# libxlsxwriter for the workbook export: static, with its bundled minizip and mingw's static zlib
# (libz-mingw-w64-dev), and without its own MD5 (it only tells repeated images apart, and the
# workbook has none), whose names clash with the static OpenSSL the test stand-ins link. Its Debian
# source package is fetched here, as 03-sources.sh fetches the others, so that an existing build
# needs only this stage.
stage_xlsxwriter() {
  fetch_sources libxlsxwriter
  local src
  src=$(source_tree libxlsxwriter)
  rm -rf "$work/xlsxwriter"
  cmake_cross -S "$src" -B "$work/xlsxwriter" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF \
    -DUSE_SYSTEM_MINIZIP=OFF -DUSE_NO_MD5=ON -DCMAKE_INSTALL_LIBDIR=lib
  cmake --build "$work/xlsxwriter" --parallel "$jobs"
  cmake --install "$work/xlsxwriter"
  # pkg-config names zlib by -lz, which CMake looks up beside the library first: there only the
  # static one, so that no zlib DLL is imported.
  cp "/usr/$host/lib/libz.a" "$prefix/lib/libz.a"
  mkdir -p "$prefix/lib/pkgconfig"
  cat >"$prefix/lib/pkgconfig/xlsxwriter.pc" <<PC
prefix=$prefix
includedir=\${prefix}/include
libdir=\${prefix}/lib

Name: libxlsxwriter
Description: A C library for creating Excel XLSX files (static)
Version: $(sed -n 's/^#define LXW_VERSION "\(.*\)"/\1/p' "$src/include/xlsxwriter.h")
Cflags: -I\${includedir}
Libs: -L\${libdir} -lxlsxwriter -lz
PC
}
