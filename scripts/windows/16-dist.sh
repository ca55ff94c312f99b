# DLLs that come with every 64-bit Windows; the programs may import these and nothing else.
system_dlls=" advapi32 bcrypt comctl32 comdlg32 crypt32 dwmapi gdi32 gdiplus imm32 iphlpapi kernel32
  msimg32 msvcrt normaliz ntdll ole32 oleacc oleaut32 rpcrt4 secur32 shell32 shlwapi user32 usp10
  uxtheme version winmm winspool.drv wldap32 ws2_32 "

# Says which DLLs `program` imports and fails on any that is not a system DLL.
check_imports() {
  local program=$1 dll bad=0 known
  known=" $(echo $system_dlls) "
  local dlls
  dlls=$($host-objdump -p "$program" | awk '/DLL Name:/ { print tolower($3) }' | sort -u)
  echo "$(basename "$program") imports:" $dlls
  for dll in $dlls; do
    [[ "$known" == *" ${dll%.dll} "* || "$known" == *" $dll "* || "$dll" == api-ms-win-* ]] ||
      {
        echo "$(basename "$program") needs $dll, which Windows does not have" >&2
        bad=1
      }
  done
  return $bad
}

# The zip for users: both programs, stripped, and the short guide in Chinese,
# packaging/windows/使用说明.txt with the version filled in (UTF-8 with BOM and CRLF line ends, so
# that Notepad shows it).
stage_dist() {
  local version gui_exe cli_exe
  version=$(project_version)
  gui_exe=$(find "$project/src" -name hengdian.exe | head -n 1)
  cli_exe=$(find "$project/src" -name hengdian-cli.exe | head -n 1)
  [[ -n "$gui_exe" && -n "$cli_exe" ]]
  [[ $($host-objdump -p "$gui_exe") == *"(Windows GUI)"* ]]
  [[ $($host-objdump -p "$cli_exe") == *"(Windows CUI)"* ]]
  echo "hengdian.exe: GUI subsystem; hengdian-cli.exe: console subsystem"
  # The manifest asks for common controls 6 and per-monitor DPI awareness.
  grep -q -a 'Microsoft.Windows.Common-Controls' "$gui_exe"
  grep -q -a 'PerMonitorV2' "$gui_exe"
  echo "hengdian.exe: manifest with common controls 6 and per-monitor DPI awareness"
  # Explorer shows the first icon group of a program's resources: it must be the program's own.
  [[ $(wrestool -l --type=14 "$gui_exe" | head -n 1) == *"--name='HENGDIAN'"* ]]
  echo "hengdian.exe: its own icon comes first"
  local dist=$out/dist stage=$out/dist/hengdian-$version-win64
  rm -rf "$stage"
  mkdir -p "$stage"
  $host-strip -o "$stage/hengdian.exe" "$gui_exe"
  $host-strip -o "$stage/hengdian-cli.exe" "$cli_exe"
  check_imports "$stage/hengdian.exe"
  check_imports "$stage/hengdian-cli.exe"
  {
    printf '\xEF\xBB\xBF'
    sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$root/packaging/windows/使用说明.txt"
  } >"$stage/使用说明.txt"
  local zip=$dist/hengdian-$version-win64.zip
  rm -f "$zip"
  # UTF-8 names with the zip's Unicode flag set, so Windows' own unzip shows the Chinese file name
  # (Info-ZIP's zip leaves the flag unset).
  (cd "$stage" && LC_ALL=C.UTF-8 bsdtar --format zip --options zip:hdrcharset=UTF-8 -cf "$zip" \
    hengdian.exe hengdian-cli.exe 使用说明.txt)
  unzip -l "$zip"
  echo "wrote $zip"
}
