# Fixed ports for the stand-in sites in the gui-run stage; the build it checks has them as hosts.
gui_run_library_port=${HENGDIAN_GUI_RUN_LIBRARY_PORT:-47311}
gui_run_portal_port=${HENGDIAN_GUI_RUN_PORTAL_PORT:-47312}

# hengdian.exe as a user meets it, under wine on a virtual display. A build of the program whose site
# hosts are the stand-in sites on fixed ports (build configuration, as for the real sites) starts
# and shows its window; three standards are typed into the input editor and the check is started
# from the keyboard; the results editor must end up with the lines hengdian-cli.exe prints for the
# same input against the same sites; asked to close (taskkill without /f sends WM_CLOSE, as the
# close box does), the program ends with exit code 0. A picture of the window is kept in the logs.
stage_gui-run() {
  chinese_locale
  local checked=$out/project-gui-run
  cmake_cross -S "$root" -B "$checked" -DHENGDIAN_WERROR=ON -DHENGDIAN_BUILD_GUI=ON \
    -DwxWidgets_CONFIG_EXECUTABLE="$prefix/bin/wx-config" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DOPENSSL_USE_STATIC_LIBS=ON -DHENGDIAN_LIBRARY_HOST="127.0.0.1:$gui_run_library_port" \
    -DHENGDIAN_PORTAL_HOST="localhost:$gui_run_portal_port" >"$logs/gui-run-configure.log"
  cmake --build "$checked" --parallel "$jobs" --target hengdian
  local exe stand_in cli
  exe=$(find "$checked/src" -name hengdian.exe | head -n 1)
  stand_in=$(find "$project/tests" -name stand-in-sites.exe | head -n 1)
  cli=$(find "$project/src" -name hengdian-cli.exe | head -n 1)
  [[ -n "$exe" && -n "$stand_in" && -n "$cli" ]]
  hold_wineserver

  local sites_log=$logs/gui-run-sites.out
  "$wine" "$stand_in" --library-port "$gui_run_library_port" --portal-port "$gui_run_portal_port" \
    >"$sites_log" 2>&1 &
  local sites=$! waited=0
  until grep -q '^Serving' "$sites_log" 2>/dev/null || [[ $waited -ge 60 ]]; do
    sleep 1
    waited=$((waited + 1))
  done
  local status=0 entered expected results=
  entered=$'GB/T 5490-2010\nGB/T 5491-1985\nGB/T 99999-2099\n'
  if ! grep -q '^Serving' "$sites_log"; then
    echo "the stand-in sites did not start on ports $gui_run_library_port and $gui_run_portal_port:" >&2
    cat "$sites_log" >&2
    status=1
  else
    expected=$(printf '%s' "$entered" | "$wine" "$cli" check --library-host "127.0.0.1:$gui_run_library_port" \
      --retry-pause-ms 0 | tr -d '\r')
    echo "hengdian-cli.exe prints:"
    printf '    %s\n' "$expected"
  fi

  start_display
  local program= id=
  if [[ $status -eq 0 ]]; then
    "$wine" "$exe" &
    program=$!
    if id=$(wait_for_window "衡典 v$(project_version)" 120); then
      echo "hengdian.exe shows its window"
      # The input editor fills the left half of the window; the check button comes before it in
      # the tab order.
      xdotool mousemove --window "$id" 300 300 click 1
      local line
      while IFS= read -r line; do
        xdotool type --delay 20 "$line"
        xdotool key Return
      done <<<"${entered%$'\n'}"
      xdotool key shift+Tab key space
      # The line that finds nothing is asked again after ten waits of 1010 ms.
      local tries=0
      while [[ $tries -lt 60 ]]; do
        sleep 2
        results=$(copied_text "$id" 960 300)
        [[ "$results" == "$expected" ]] && break
        tries=$((tries + 1))
      done
      import -window root "$logs/gui-run.png" || true
      if [[ "$results" == "$expected" ]]; then
        echo "the results editor holds the same lines"
      else
        echo "the results editor holds other lines:" >&2
        printf '    %s\n' "$results" >&2
        status=1
      fi
    else
      echo "hengdian.exe showed no window within 120 s" >&2
      status=1
    fi
  fi
  if [[ -n "$program" ]]; then
    local ended=0
    if [[ -n "$id" ]]; then
      "$wine" taskkill /im hengdian.exe >/dev/null || true
      wait "$program" || ended=$?
      echo "hengdian.exe ended with exit code $ended"
      [[ $ended -eq 0 ]] || status=1
    else
      "$wine" taskkill /f /im hengdian.exe >/dev/null || true
      wait "$program" || true
    fi
  fi
  "$wine" taskkill /f /im stand-in-sites.exe >/dev/null 2>&1 || true
  wait "$sites" 2>/dev/null || true
  release_wineserver
  stop_display
  return $status
}
