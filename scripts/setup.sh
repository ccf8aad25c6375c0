#!/usr/bin/env bash
# Installs what the build, the tests and the program need (Debian), then configures and builds.
# Sourced by run.sh and test.sh; quick when everything is already there.
set -euo pipefail

packages=(cmake ninja-build g++ clang qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev
          ffmpeg libpugixml-dev libtinyxml2-dev libclang-rt-14-dev fonts-lato fonts-open-sans fonts-dejavu-core xvfb xauth
          slurmctld slurmd slurm-client munge parallel pkg-config libavformat-dev libavcodec-dev libavutil-dev
          dpkg-dev file desktop-file-utils appstream dbus-daemon bindfs fusefat dosfstools
          systemd)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The catalogue's plans deinterlace with bwdif and tone-map HDR with zscale and tonemap; an encoder built without
# them would fail every interlaced or HDR source.
filters=$(ffmpeg -hide_banner -filters 2>/dev/null)
for filter in bwdif zscale tonemap; do
  grep -qw "$filter" <<< "$filters" || {
    echo "The installed ffmpeg lacks the $filter filter, which the format catalogue needs." >&2; exit 1; }
done

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
if [ ! -f "$build/build.ninja" ]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
fi
cmake --build "$build" -j "$(nproc)"
