# Every test under wine, once wine is seen to answer with code page 936.
stage_tests() {
  chinese_locale
  local acp
  acp=$("$wine" cmd /c 'reg query HKLM\System\CurrentControlSet\Control\Nls\CodePage /v ACP' | tr -d '\r' |
    awk '/ACP/ { print $NF }')
  echo "wine ANSI code page: $acp"
  if [[ "$acp" != 936 ]]; then
    echo "wine does not run with code page 936 (locale zh_CN.UTF-8 in $LOCPATH?)" >&2
    return 1
  fi
  cd "$project"
  # The window's tests need a display.
  [[ $gui -eq 1 ]] && start_display
  hold_wineserver
  local status=0
  ctest --output-on-failure --parallel "$jobs" --timeout 600 || status=$?
  release_wineserver
  stop_display
  return $status
}
