# The zh_CN.UTF-8 locale, built into a private folder so the system's locales stay as they are.
stage_locale() {
  rm -rf "$locales"
  mkdir -p "$locales"
  localedef -i zh_CN -f UTF-8 "$locales/zh_CN.UTF-8"
}
