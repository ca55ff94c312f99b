# hengdian itself, with the window when --gui is given.
stage_project() {
  local options=(-DHENGDIAN_WERROR=ON -DHENGDIAN_BUILD_GUI=OFF)
  [[ $gui -eq 1 ]] && options=(-DHENGDIAN_WERROR=ON -DHENGDIAN_BUILD_GUI=ON
    -DwxWidgets_CONFIG_EXECUTABLE="$prefix/bin/wx-config")
  # Tests are listed when ctest runs, under wine, not during the build.
  # -O2 as on Linux: at -O3 GCC 12 warns falsely (-Wrestrict) inside std::u16string's operator+.
  # OpenSSL is static: FindOpenSSL then adds the Windows libraries it needs (ws2_32, crypt32).
  cmake_cross -S "$root" -B "$project" "${options[@]}" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DOPENSSL_USE_STATIC_LIBS=ON \
    -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST
  cmake --build "$project" --parallel "$jobs"
}
