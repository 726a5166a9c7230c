#!/usr/bin/env bash
# Installs, on Debian 12, whatever the build and the tests need and is not
# there yet, and the two locales the tests run Wine under. Safe to run again:
# it changes nothing on a machine that has it all.
set -euo pipefail

packages=(
  cmake make g++ googletest
  clang libclang-rt-14-dev
  mingw-w64 g++-mingw-w64-x86-64-posix
  wine wine64 xvfb xauth fonts-wqy-microhei fonts-wine
  locales imagemagick
  python3 pandoc chromium chromium-driver python3-selenium
  nlohmann-json3-dev
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page from the locale: zh_CN gives 936, en_US 1252.
for l in zh_CN en_US; do
  if ! locale -a 2>/dev/null | grep -qix "$l.utf8"; then
    echo "Generating locale $l.UTF-8"
    as_root localedef -i "$l" -f UTF-8 "$l.UTF-8"
  fi
done
