# Only the 64-bit compilers with the posix thread model: the mingw-w64 bundle would add three more.
packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev
  wine64 locales ninja-build cmake make perl pkg-config dpkg-dev xz-utils ca-certificates
  libcli11-dev nlohmann-json3-dev libarchive-tools unzip
)
gui_packages=(xvfb xauth x11-utils xdotool xclip imagemagick fonts-noto-cjk nsis icoutils)

stage_packages() {
  local wanted=("${packages[@]}") missing=()
  [[ $gui -eq 1 ]] && wanted+=("${gui_packages[@]}")
  for package in "${wanted[@]}"; do
    [[ $(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true) == "install ok installed" ]] ||
      missing+=("$package")
  done
  if [[ ${#missing[@]} -gt 0 ]]; then
    echo "installing ${missing[*]}"
    as_root apt-get update
    as_root apt-get install -y --no-install-recommends "${missing[@]}"
  fi
  # Static programs: the posix thread model (std::thread needs it) for both compilers.
  command -v $host-g++-posix && command -v $host-gcc-posix && test -x "$wine"
}
