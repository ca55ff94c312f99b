# docs/screenshot-windows.png: the window under wine after a check of the sample standards against
# the stand-in sites (window-demo.exe, the window with the stand-ins' hosts).
stage_screenshot() {
  chinese_locale
  local exe output=$root/docs/screenshot-windows.png
  exe=$(find "$project/tests" -name window-demo.exe | head -n 1)
  mkdir -p "$root/docs"
  hold_wineserver
  start_display
  local log=$out/logs/window-demo.out
  "$wine" "$exe" >"$log" 2>&1 &
  local demo=$!
  local waited=0
  until grep -q '^ready' "$log" 2>/dev/null || [[ $waited -ge 240 ]]; do
    sleep 1
    waited=$((waited + 1))
  done
  local status=0
  local id
  if grep -q '^ready' "$log" && id=$(wait_for_window "衡典 v$(project_version)" 10); then
    sleep 2
    # Wine draws no frame without a window manager: the picture is the window's client area.
    import -window "$id" "$output"
    echo "wrote $output"
  else
    echo "window-demo.exe did not get ready within 240 s" >&2
    status=1
  fi
  "$wine" taskkill /im window-demo.exe || true
  wait "$demo" || true
  release_wineserver
  stop_display
  return $status
}
