# Static wxMSW. Debian's tarball lacks the bundled png, jpeg, tiff and expat, so those are left out
# (and SVG, which needs png); zlib is mingw's from libz-mingw-w64-dev. The window needs only the base
# and core libraries, so the net, adv and html libraries are neither built nor installed. An
# interrupted build goes on where it stopped when the configuration is the same.
stage_wxwidgets() {
  local src
  src=$(source_tree wxwidgets3.2)
  local options=(
    --host=$host --build=x86_64-linux-gnu --prefix="$prefix" CC=$host-gcc-posix CXX=$host-g++-posix
    --with-msw --disable-shared --enable-unicode --disable-debug_info
    --without-libpng --without-libjpeg --without-libtiff --without-expat --disable-svg --with-zlib=sys
    --without-opengl --disable-xrc --disable-richtext --disable-stc
    --disable-webview --disable-mediactrl --disable-propgrid --disable-ribbon --disable-aui
    --disable-htmlhelp --disable-debugreport --disable-sound --disable-joystick --disable-precomp-headers
  )
  local build=$work/wxwidgets
  if [[ ! -f "$build/config.status" || "$(cat "$build/configured-with" 2>/dev/null)" != "${options[*]}" ]]; then
    rm -rf "$build"
    mkdir -p "$build"
    (cd "$build" && "$src/configure" "${options[@]}")
    echo "${options[*]}" >"$build/configured-with"
  fi
  local unused=(__netlib___depname= __advlib___depname= __htmllib___depname=
    __install_netlib___depname= __install_advlib___depname= __install_htmllib___depname=)
  make -C "$build" -j"$jobs" "${unused[@]}"
  make -C "$build" install "${unused[@]}"
}
