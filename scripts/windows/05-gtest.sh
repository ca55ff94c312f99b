# GoogleTest and GoogleMock for the test programs.
stage_gtest() {
  local src
  src=$(source_tree googletest)
  rm -rf "$work/gtest"
  cmake_cross -S "$src" -B "$work/gtest" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -DCMAKE_CROSSCOMPILING_EMULATOR=
  cmake --build "$work/gtest" --parallel "$jobs"
  cmake --install "$work/gtest"
}
