# The Debian source of wxWidgets, fetched as 03-sources.sh fetches the others.
stage_wx-sources() {
  fetch_sources wxwidgets3.2
}
