#!/usr/bin/env bash
# Installs every Debian 12 package that Trackmill needs to build, run and test.
# Both README commands call this; it does nothing when all are present.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config
  # Qt 6 (widgets, D-Bus), pictures and a fallback font for CJK texts
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins fonts-droid-fallback
  famfamfam-flag-png
  # CD access, MP3 and FLAC encoding, WAV input, CDDB over HTTP, media arrival
  libcdio-dev libcdio-paranoia-dev libmp3lame-dev libflac-dev libsndfile1-dev
  libcurl4-openssl-dev libudev-dev zlib1g-dev
  # names: the MusicBrainz disc id, cover pictures
  libdiscid-dev libjpeg-dev
  # tests: GoogleTest, independent readers of what we write, benchmarks
  googletest libgtest-dev libgmock-dev libtag1-dev libmpg123-dev
  lame flac desktop-file-utils dbus-daemon
  # tests: AccurateRip checksums checked by whipper's accuraterip-checksum,
  # cue sheets read back by libcue; benchmark: cd-paranoia on the same image
  whipper libcue-dev cd-paranoia
  # tests: the ThreadSanitizer run of the threaded tests (scripts/tsan-tests.sh)
  libtsan2
  # tests: the architecture check script
  python3
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
