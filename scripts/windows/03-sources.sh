# The Debian source packages the dependency builds start from, fetched through a private apt
# configuration; fetch_sources serves the wx-sources stage as well.

# Source lines for the Debian mirror(s) this machine already installs from, limited to this release.
write_source_lines() {
  local codename
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  local file
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -f "$file" ]] || continue
    awk -v codename="$codename" '
      $1 == "deb" {
        line = $0; sub(/^deb[ \t]+/, "", line)
        options = ""
        if (line ~ /^\[/) { options = substr(line, 1, index(line, "]")); line = substr(line, index(line, "]") + 1) }
        n = split(line, field, /[ \t]+/); start = (field[1] == "") ? 2 : 1
        suite = field[start + 1]
        if (suite == codename || index(suite, codename "-") == 1) print "deb-src " options " " line
      }' "$file" >>"$1"
  done
  for file in /etc/apt/sources.list.d/*.sources; do
    [[ -f "$file" ]] || continue
    # deb822 stanzas: keep those of this release, as source stanzas.
    awk -v codename="$codename" '
      BEGIN { RS = ""; FS = "\n" }
      {
        keep = 0; enabled = 1; types = 0; out = ""
        for (i = 1; i <= NF; i++) {
          line = $i
          if (line ~ /^#/) continue
          if (tolower(line) ~ /^types:/) { if (line ~ /[ \t]deb([ \t]|$)/) types = 1; line = "Types: deb-src" }
          if (tolower(line) ~ /^enabled:/ && tolower(line) ~ /no/) enabled = 0
          if (tolower(line) ~ /^suites:/) {
            n = split(substr(line, index(line, ":") + 1), suite, /[ \t]+/); line = "Suites:"
            for (j = 1; j <= n; j++)
              if (suite[j] == codename || index(suite[j], codename "-") == 1) { line = line " " suite[j]; keep = 1 }
          }
          out = out line "\n"
        }
        if (keep && enabled && types) printf "%s\n", out
      }' "$file" >>"$2"
  done
}

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
