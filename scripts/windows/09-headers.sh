# Header-only pieces: cpp-httplib as upstream ships it, CLI11 and nlohmann-json from their Debian
# packages (the same headers the Linux build uses), with their CMake and pkg-config files.
stage_headers() {
  local src
  src=$(source_tree cpp-httplib)
  mkdir -p "$prefix/include" "$prefix/lib/pkgconfig" "$prefix/share/cmake"
  cp "$src/httplib.h" "$prefix/include/httplib.h"
  cat >"$prefix/lib/pkgconfig/cpp-httplib.pc" <<EOF
prefix=$prefix
includedir=\${prefix}/include

Name: cpp-httplib
Description: A C++ HTTP/HTTPS server and client library (header only)
Version: $(sed -n 's/^#define CPPHTTPLIB_VERSION "\(.*\)"/\1/p' "$src/httplib.h")
Cflags: -I\${includedir} -DCPPHTTPLIB_OPENSSL_SUPPORT
Libs: -lws2_32 -lcrypt32
EOF
  rm -rf "$prefix/include/CLI" "$prefix/include/nlohmann"
  cp -r /usr/include/CLI /usr/include/nlohmann "$prefix/include/"
  cp -r /usr/share/cmake/CLI11 /usr/share/cmake/nlohmann_json "$prefix/share/cmake/"
}
