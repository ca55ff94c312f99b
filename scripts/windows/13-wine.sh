# A wine prefix made once, before tests start wine in parallel.
stage_wine() {
  chinese_locale
  "$wine" cmd /c exit 0 || true
  /usr/lib/wine/wineserver -w
  test -d "$WINEPREFIX/drive_c"
}
