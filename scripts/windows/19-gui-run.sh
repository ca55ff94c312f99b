# Fixed ports for the stand-in sites in the gui-run stage; the build it checks has them as hosts.
gui_run_library_port=${HENGDIAN_GUI_RUN_LIBRARY_PORT:-47311}
gui_run_portal_port=${HENGDIAN_GUI_RUN_PORTAL_PORT:-47312}

# Where the report tab's title and its buttons are in the window, and its save dialog's title.
report_tab_title=(168 12)
report_find_button=(170 40)
report_export_button=(270 40)
report_save_title=导出标准查新表

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
      # The check button comes before the input editor in the tab order.
      enter_list "$id" "$entered" && xdotool key shift+Tab key space
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
        report_tab_run "$id" "$cli" "$entered" || status=1
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

# Types the lines of `entered` into the input editor, which fills the left half of the window, and
# reads them back: on a loaded machine wine may drop keys typed before the editor has the focus, so
# the editor is emptied and typed into again, up to three times. The focus stays in the editor.
enter_list() {
  local id=$1 entered=$2 tries=0 line
  while [[ $tries -lt 3 ]]; do
    tries=$((tries + 1))
    xdotool mousemove --window "$id" 300 300 click 1
    sleep 1
    xdotool key ctrl+a key Delete
    while IFS= read -r line; do
      xdotool type --delay 20 "$line"
      xdotool key Return
    done <<<"${entered%$'\n'}"
    [[ "$(copied_text "$id" 300 300)" == "${entered%$'\n'}" ]] && return 0
  done
  echo "the input editor did not take the typed lines" >&2
  return 1
}

# The report tab after the check: a click on its title makes it the current page (wine's tab
# control takes no Ctrl+Tab from an editor), "查找现行版本" looks for the versions in force, and "导出…"
# saves the table through the save dialog, once as CSV and once as a workbook. The CSV must be the
# bytes hengdian-cli.exe prints for `check --current --format csv` of the same input against the
# same sites; the workbook must be a zip whose sheets are "标准查新" and "汇总". The search takes a
# while (the line that finds nothing waits before it is asked again), so the CSV is exported again
# until it matches or a minute has passed. A picture of the tab is kept in the logs.
report_tab_run() {
  local id=$1 cli=$2 entered=$3
  local exports=$logs/gui-run-export expected_csv=$logs/gui-run-expected.csv
  rm -rf "$exports"
  mkdir -p "$exports"
  printf '%s' "$entered" | "$wine" "$cli" check --library-host "127.0.0.1:$gui_run_library_port" \
    --retry-pause-ms 0 --current --format csv >"$expected_csv"
  echo "hengdian-cli.exe check --current --format csv prints $(wc -c <"$expected_csv") bytes"

  xdotool mousemove --window "$id" "${report_tab_title[@]}" click 1
  sleep 1
  xdotool mousemove --window "$id" "${report_find_button[@]}" click 1
  local tries=0 csv='' matched=0
  while [[ $tries -lt 20 ]]; do
    sleep 2
    tries=$((tries + 1))
    csv=$exports/report-$tries.csv
    export_report "$id" "$csv" || continue
    if cmp -s "$csv" "$expected_csv"; then
      matched=1
      break
    fi
  done
  import -window root "$logs/gui-run-report.png" || true
  if [[ $matched -eq 0 ]]; then
    echo "the exported CSV differs from what hengdian-cli.exe prints (last: $csv):" >&2
    diff <(tr -d '\r' <"$expected_csv") <(tr -d '\r' <"$csv" 2>/dev/null) >&2 || true
    return 1
  fi
  echo "the exported CSV has the same bytes as hengdian-cli.exe's ($(basename "$csv"))"

  local workbook=$exports/report.xlsx sheets
  if ! export_report "$id" "$workbook"; then
    echo "no workbook was exported" >&2
    return 1
  fi
  sheets=$(unzip -p "$workbook" xl/workbook.xml | grep -o '<sheet name="[^"]*"' | sed 's/<sheet name="//; s/"$//' |
    paste -sd ' ')
  if [[ "$sheets" != "标准查新 汇总" ]]; then
    echo "the exported workbook's sheets are: $sheets" >&2
    return 1
  fi
  echo "the exported workbook has the sheets $sheets"
}

# Saves the report tab's table to the Linux path `file` through "导出…" and the save dialog, the
# path typed as wine sees it (drive Z: is the root).
export_report() {
  local id=$1 file=$2 waited=0
  rm -f "$file"
  xdotool mousemove --window "$id" "${report_export_button[@]}" click 1
  wait_for_window "$report_save_title" 10 >/dev/null || return 1
  # The dialog starts on the workbook's type and would give a typed "x.csv" the ending ".xlsx" as
  # well: for a CSV file the type list (after the name in the tab order) is moved on to CSV first.
  if [[ "$file" == *.csv ]]; then
    xdotool key Tab key Down key shift+Tab
    sleep 0.5
  fi
  # Wine's dialog puts the caret before the suggested name: the whole name is replaced.
  xdotool key ctrl+a
  xdotool type --delay 20 "Z:${file//\//\\}"
  xdotool key Return
  until [[ -s "$file" ]] && ! xdotool search --name "^$report_save_title\$" >/dev/null 2>&1; do
    sleep 1
    waited=$((waited + 1))
    [[ $waited -lt 20 ]] || return 1
  done
  sleep 1
}
