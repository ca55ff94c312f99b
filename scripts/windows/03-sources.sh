# The Debian source packages the dependency builds start from, fetched through a private apt
# configuration; fetch_sources serves the wx-sources stage as well.

apt_private=()
setup_private_apt() {
  local dir=$out/apt
  mkdir -p "$dir/lists/partial" "$dir/cache/archives/partial" "$dir/parts"
  : >"$dir/sources.list"
  : >"$dir/parts/debian.sources"
  write_source_lines "$dir/sources.list" "$dir/parts/debian.sources"
  [[ -s "$dir/parts/debian.sources" ]] || rm -f "$dir/parts/debian.sources"
  if [[ ! -s "$dir/sources.list" && ! -e "$dir/parts/debian.sources" ]]; then
    echo "no Debian source found in /etc/apt/sources.list(.d)" >&2
    return 1
  fi
  apt_private=(
    -o "Dir::Etc::SourceList=$dir/sources.list" -o "Dir::Etc::SourceParts=$dir/parts"
    -o "Dir::State::Lists=$dir/lists" -o "Dir::Cache=$dir/cache" -o "Dir::Cache::pkgcache="
    -o "Dir::Cache::srcpkgcache=" -o "APT::Sandbox::User=$(id -un)"
  )
}

fetch_sources() {
  local codename
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  setup_private_apt
  cat "$out/apt/sources.list" "$out/apt/parts/"* 2>/dev/null || true
  apt-get "${apt_private[@]}" update
  local package
  for package in "$@"; do
    rm -rf "$sources/$package.dir"
    mkdir -p "$sources/$package.dir"
    # A security mirror may list a newer version than it holds; the release's own version then serves.
    (cd "$sources/$package.dir" && apt-get "${apt_private[@]}" source "$package") ||
      (cd "$sources/$package.dir" && rm -rf ./* && apt-get "${apt_private[@]}" source "$package/$codename")
  done
}

stage_sources() {
  fetch_sources googletest curl openssl cpp-httplib
}
