# OpenSSL only for the test stand-ins (cpp-httplib's HTTPS server): static and trimmed.
stage_openssl() {
  local src
  src=$(source_tree openssl)
  rm -rf "$work/openssl"
  mkdir -p "$work/openssl"
  cd "$work/openssl"
  "$src/Configure" mingw64 --prefix="$prefix" --libdir=lib --cross-compile-prefix= \
    CC=$host-gcc-posix AR=$host-ar RANLIB=$host-ranlib RC=$host-windres \
    no-shared no-module no-legacy no-engine no-dso no-tests no-comp no-ssl3 no-dtls \
    no-srp no-idea no-mdc2 no-rc5 no-whirlpool no-seed no-camellia no-aria no-sm2 no-sm3 no-sm4
  make -j"$jobs" build_libs
  make install_dev
}
