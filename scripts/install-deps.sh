#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Disctrove need.
# Quiet and quick when everything is already there; needs root (or sudo) otherwise.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config clang-format
  clang libclang-rt-dev  # the fuzz targets (libFuzzer)
  # tests
  libgtest-dev libgmock-dev python3 python3-libdiscid
  # libraries
  qt6-base-dev libcdio-dev libcdio-paranoia-dev libmp3lame-dev libvorbis-dev libogg-dev
  libavcodec-dev libavformat-dev libavutil-dev libswresample-dev
  libasound2-dev libcurl4-openssl-dev zlib1g-dev libssl-dev libdiscid-dev
  libflac-dev libopus-dev libopusenc-dev libopusfile-dev libebur128-dev
  libtag1-dev nlohmann-json3-dev
  qt6-tools-dev qt6-l10n-tools  # Qt LinguistTools and lupdate, for the translations
  # tools the tests use to check the files we write
  ffmpeg vorbis-tools sox cd-paranoia lame
  whipper  # for accuraterip-checksum
  cuetools  # cueprint reads back our CUE sheets
  flac  # flac -t, flac -d and metaflac check our FLAC files
  opus-tools  # opusinfo checks our Opus files
  mp3val  # checks the frames of our MP3 files
  python3-mutagen  # mid3v2 lists the ID3v2 frames (TXXX, UFID, APIC) of our MP3 files
  # the Debian package: its icons, its dependencies, and the checks of what it installs
  librsvg2-bin dpkg-dev file appstream desktop-file-utils strace
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
