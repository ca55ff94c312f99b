# The installer as a user's silent install (/S) under wine: it puts the programs and the guide into
# Program Files, the shortcuts into the Start menu and onto the desktop and its entry into the list
# of programs; the installed command-line program runs; the uninstaller, also silent, then leaves
# none of it behind.
stage_installer-run() {
  chinese_locale
  local version
  version=$(project_version)
  local files=$out/dist/hengdian-$version-win64 setup=$out/dist/hengdian-$version-setup.exe
  local drive=$WINEPREFIX/drive_c key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\hengdian'
  local installed="$drive/Program Files/hengdian"
  local menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/衡典"
  local desktop=$drive/users/Public/Desktop/衡典.lnk
  # What an earlier run may have left.
  rm -rf "$installed" "$menu" "$desktop"
  "$wine" reg delete "$key" /f >/dev/null 2>&1 || true

  "$wine" "$setup" /S
  /usr/lib/wine/wineserver -w
  local file
  for file in hengdian.exe hengdian-cli.exe 使用说明.txt; do
    cmp "$files/$file" "$installed/$file"
  done
  test -f "$installed/uninstall.exe"
  echo "installed: $(cd "$installed" && echo *)"
  for file in "$menu/衡典.lnk" "$desktop"; do
    # A shortcut keeps its target's path, in the ANSI code page or in UTF-16.
    tr -d '\0' <"$file" | grep -a -q -i 'hengdian\\hengdian.exe'
    echo "shortcut ${file#"$drive/"} points to hengdian.exe"
  done
  "$wine" reg query "$key" /v UninstallString | tr -d '\r' | grep 'uninstall.exe' >/dev/null
  echo "the list of programs has hengdian"
  "$wine" "$installed/hengdian-cli.exe" check --help | tr -d '\r' | grep -- '--input' >/dev/null
  echo "the installed hengdian-cli.exe runs"

  "$wine" "$installed/uninstall.exe" /S
  /usr/lib/wine/wineserver -w
  local left=0
  for file in "$installed" "$menu" "$desktop"; do
    if [[ -e "$file" ]]; then
      echo "left behind: $file" >&2
      left=1
    fi
  done
  if "$wine" reg query "$key" >/dev/null 2>&1; then
    echo "left behind: the registry key $key" >&2
    left=1
  fi
  [[ $left -eq 0 ]]
  echo "the uninstaller left nothing behind"
}
