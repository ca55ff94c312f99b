# The installer beside the zip, made by makensis from packaging/windows/hengdian.nsi over the
# zip's folder: the same stripped programs and guide, the icon, Chinese pages.
stage_installer() {
  local version
  version=$(project_version)
  local files=$out/dist/hengdian-$version-win64 setup=$out/dist/hengdian-$version-setup.exe
  [[ -f "$files/hengdian.exe" && -f "$files/hengdian-cli.exe" ]]
  rm -f "$setup"
  makensis -V2 -DVERSION="$version" -DSOURCE="$files" -DICON="$root/packaging/icons/hengdian.ico" \
    -DOUTFILE="$setup" "$root/packaging/windows/hengdian.nsi"
  [[ $($host-objdump -p "$setup") == *"(Windows GUI)"* ]]
  ls -l "$setup"
  echo "wrote $setup"
}
