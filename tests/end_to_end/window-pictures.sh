#!/usr/bin/env bash
# The four windows as a user first sees them (the start-up picture, the main
# window on pictures/Config.ini, the two dialogs as they open) compared pixel
# for pixel with the references in pictures/, at 96 and at 144 DPI, each in
# a Wine prefix of the build's own. A label hidden, drawn over another
# control or cut off changes pixels and fails.
#
#   window-pictures.sh BUILD_DIR            compare; exit 1 on any difference
#   window-pictures.sh BUILD_DIR --update   take the references anew
#
# Differences are kept as BUILD_DIR/window-pictures/NAME-DPIdpi-diff.png.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
update=${2:-}
references=$here/pictures
out=$build/window-pictures
rm -rf "$out"
mkdir -p "$out"

if [ -z "${DISPLAY:-}" ]; then
  . "$here/../../tools/virtual-display.sh"
  use_virtual_display_for_wine "$build"
fi

failed=0
for dpi in 96 144; do
  # The tests' own prefix is at Wine's 96 DPI; a second one is set to 144.
  prefix=$build/wineprefix
  [ "$dpi" = 96 ] || prefix=$build/wineprefix-${dpi}dpi
  export HOTLINK_WINEPREFIX=$prefix
  if [ "$dpi" != 96 ] && [ "$(cat "$prefix/hotlink-dpi" 2>/dev/null)" != "$dpi" ]; then
    "$build/wine-run.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    WINEPREFIX=$prefix wineserver -w
    printf '%s' "$dpi" >"$prefix/hotlink-dpi"
  fi

  editor=$out/editor-$dpi
  mkdir -p "$editor"
  cp "$build/bin/HotlinkConfig.exe" "$references/Config.ini" "$editor/"
  "$here/run-e2e.sh" "$build" "$build/tests/end_to_end/e2e_driver.exe" --tour \
    "--editor=$editor/HotlinkConfig.exe" "--screenshots=$out/$dpi"
  [ "$dpi" = 96 ] || WINEPREFIX=$prefix wineserver -k 2>/dev/null || true

  for name in start-up-window main-window form2 form3; do
    shot=$out/$dpi/$name.png
    reference=$references/$name-${dpi}dpi.png
    if [ "$update" = --update ]; then
      cp "$shot" "$reference"
      echo "taken: ${reference#"$here"/}"
      continue
    fi
    differing=$(compare -metric AE "$reference" "$shot" "$out/$name-${dpi}dpi-diff.png" 2>&1 || true)
    if [ "$differing" = 0 ]; then
      echo "same: $name at $dpi DPI"
    else
      echo "DIFFERENT: $name at $dpi DPI: $differing pixels; see $out/$name-${dpi}dpi-diff.png"
      failed=1
    fi
  done
done
unset HOTLINK_WINEPREFIX
exit "$failed"
