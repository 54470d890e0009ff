#!/usr/bin/env bash
# Installs the Debian packages that building and testing Tavro need, when they are missing.
# Idempotent and non-interactive; does nothing when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang clang-format
  libfreetype-dev libfontconfig-dev zlib1g-dev libjpeg62-turbo-dev libpng-dev
  libmpg123-dev libsdl2-dev libcli11-dev nlohmann-json3-dev
  libavformat-dev libavcodec-dev libavfilter-dev libswscale-dev libswresample-dev libavutil-dev
  ffmpeg libwebp-dev time
  libgtest-dev libgmock-dev libbenchmark-dev libcairo2-dev
  fonts-liberation2 fonts-dejavu-core
  qt6-base-dev qt6-svg-dev libgl-dev xvfb xauth imagemagick desktop-file-utils appstream
  libxml2-utils xdg-utils
  nodejs npm
  chromium
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
# A node.js that ships its own npm satisfies the npm package.
if [[ " ${missing[*]-} " == *" npm "* ]] && command -v npm >/dev/null 2>&1; then
  missing=("${missing[@]/npm}")
fi
missing=($(printf '%s\n' "${missing[@]-}" | grep -v '^$' || true))

if ((${#missing[@]})); then
  sudo=""
  if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
