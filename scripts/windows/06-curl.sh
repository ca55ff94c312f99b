# libcurl over Windows' own TLS (Schannel) and certificate store; zlib for compressed answers.
stage_curl() {
  local src
  src=$(source_tree curl)
  rm -rf "$work/curl"
  cmake_cross -S "$src" -B "$work/curl" -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF \
    -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBPSL=OFF \
    -DUSE_LIBIDN2=OFF -DUSE_NGHTTP2=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DCURL_ZLIB=ON \
    -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON -DENABLE_MANUAL=OFF -DENABLE_UNICODE=OFF
  cmake --build "$work/curl" --parallel "$jobs"
  cmake --install "$work/curl"
}
