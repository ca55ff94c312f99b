# The helpers the stages of scripts/windows-cross-build share; sourced by it, which sets the
# variables these use (out, prefix, project, wine, ...). scripts/test-fresh sources it for the
# machine's Debian mirror (write_source_lines and debian_mirror need none of them).

# The zh_CN.UTF-8 locale for wine, so that GetACP() answers 936 as on a Chinese Windows. Only the
# stages that start wine call this; everything else keeps the caller's locale.
chinese_locale() {
  # bash itself cannot load the private locale and would warn about it; wine can.
  export LOCPATH=$locales LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 2>/dev/null
}

# Runs one stage: says what it does, skips it when its stamp is there, times it, and keeps its output in
# logs/STAGE.log (the last lines are shown when it fails).
stage() {
  local name=$1 what=$2
  if [[ ${#only[@]} -gt 0 ]] && [[ " ${only[*]} " != *" $name "* ]]; then
    return 0
  fi
  if [[ -e "$stamps/$name" ]]; then
    echo "==> $name: $what (already done)"
    summary+=("$(printf '%-13s  done before' "$name")")
    return 0
  fi
  echo "==> $name: $what"
  local start=$SECONDS log=$logs/$name.log
  [[ $gui -eq 1 && " project tests " == *" $name "* ]] && log=$logs/$name-gui.log
  # A subshell of its own, so that `set -e` holds inside the stage.
  local status
  set +e
  (
    set -e
    "stage_$name"
  ) >"$log" 2>&1
  status=$?
  set -e
  if [[ $status -ne 0 ]]; then
    echo "windows-cross-build: stage $name failed after $((SECONDS - start)) s; last lines of $log:" >&2
    tail -n 40 "$log" >&2
    exit 1
  fi
  local took=$((SECONDS - start))
  echo "    done in ${took} s"
  summary+=("$(printf '%-13s  %4d s' "$name" "$took")")
  if [[ " packages toolchain project tests dist installer installer-run gui-run screenshot " != *" $name "* ]]; then
    touch "$stamps/$name"
  fi
}

# Source lines for the Debian mirror(s) this machine already installs from, limited to this release:
# one-line sources are appended to the file $1, deb822 stanzas to the file $2.
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
        split(line, field, /[ \t]+/); start = (field[1] == "") ? 2 : 1
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

# The address of the archive this machine installs its own release from (the first source of exactly
# that suite, not its -updates or -security), or nothing when it has none.
debian_mirror() {
  local codename dir
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  dir=$(mktemp -d)
  write_source_lines "$dir/list" "$dir/stanzas"
  {
    awk -v codename="$codename" '
      { line = $0; sub(/^deb-src[ \t]+/, "", line); sub(/^\[[^]]*\][ \t]*/, "", line)
        split(line, field, /[ \t]+/)
        if (field[2] == codename) { print field[1]; exit } }' "$dir/list" 2>/dev/null
    awk -v codename="$codename" '
      BEGIN { RS = ""; FS = "\n" }
      { uri = ""; found = 0
        for (i = 1; i <= NF; i++) {
          if (tolower($i) ~ /^uris:/) { split(substr($i, 6), part, /[ \t]+/); uri = (part[1] == "") ? part[2] : part[1] }
          if (tolower($i) ~ /^suites:/ && (" " substr($i, 8) " ") ~ ("[ \t]" codename "[ \t]")) found = 1
        }
        if (found && uri != "") { print uri; exit } }' "$dir/stanzas" 2>/dev/null
  } | sed -n 1p
  rm -rf "$dir"
}

as_root() {
  if [[ $(id -u) -eq 0 ]]; then
    "$@"
  else
    sudo "$@"
  fi
}

# The unpacked source tree of a Debian source package.
source_tree() {
  local dir
  dir=$(find "$sources/$1.dir" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  [[ -n "$dir" ]] || {
    echo "source of $1 missing; run the sources stage" >&2
    return 1
  }
  echo "$dir"
}

cmake_cross() {
  cmake -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" "$@"
}

# One wine server for a whole stage: left to itself it ends a few seconds after its last program, and
# a program starting at that moment dies with "recvmsg: connection reset by peer". The first program
# of a wine session starts wine's own background programs, which then live as long as the server;
# that program is a throwaway one here, so that they do not hold a test's output pipe open (ctest
# would wait for them until the test's timeout).
hold_wineserver() {
  release_wineserver 2>/dev/null
  /usr/lib/wine/wineserver -p
  "$wine" cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
}

release_wineserver() {
  /usr/lib/wine/wineserver -k || true
  /usr/lib/wine/wineserver -w || true
}

# A virtual display for the window under wine: Xvfb on a free display number, ended by stop_display.
xvfb_pid=
start_display() {
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 7 -screen 0 1280x800x24 -nolisten tcp 7>"$number_file" 2>/dev/null &
  xvfb_pid=$!
  local tries=0
  while [[ ! -s "$number_file" && $tries -lt 100 ]]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  export DISPLAY=:$(head -n 1 "$number_file")
  rm -f "$number_file"
  [[ "$DISPLAY" != ":" ]]
}

stop_display() {
  [[ -n "$xvfb_pid" ]] || return 0
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
}

# Waits up to `seconds` for a window titled `title` on the virtual display and prints its id.
wait_for_window() {
  local title=$1 seconds=$2 waited=0 id
  until id=$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1) && [[ -n "$id" ]]; do
    sleep 1
    waited=$((waited + 1))
    [[ $waited -lt $seconds ]] || return 1
  done
  echo "$id"
}

# The text of the editor at (x, y) of window `id`, as the user would copy it: a click into it,
# Ctrl+A, Ctrl+C, then the clipboard that wine shares with X (line ends as Unix ones).
copied_text() {
  local id=$1 x=$2 y=$3
  xdotool mousemove --window "$id" "$x" "$y" click 1 key ctrl+a key ctrl+c
  sleep 0.5
  xclip -o -selection clipboard 2>/dev/null | tr -d '\r\0' || true
}

# The version of the project, as its CMakeLists.txt names it.
project_version() {
  sed -n 's/^project(hengdian VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt"
}
