#!/usr/bin/env bash
# Sets up a Debian 12 machine for building and testing tyvorn: Debian packages,
# then the cross-built codec libraries and the raw converter dcraw.exe (cached
# outside the work tree).
# Idempotent: a second run installs nothing and reuses the dependency cache.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

packages=(
  # cross toolchain
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev libz-mingw-w64-dev
  # running and testing the Windows build
  wine wine64 fonts-wine xvfb xauth x11-utils imagemagick
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
  # native build, tests, benchmarks, fuzzing
  cmake ninja-build g++ make pkg-config googletest libgtest-dev libbenchmark-dev
  clang-14 libfuzzer-14-dev
  libpng-dev libjpeg-dev libgif-dev libtiff-dev libcfitsio-dev zlib1g-dev
  # checking the files we write
  fitsverify libtiff-tools ffmpeg socat
  # reference values for the astronomy tests (the build itself needs neither)
  python3-pymeeus liberfa-dev
  # fetching and building the codec sources
  dpkg-dev xz-utils ca-certificates autoconf automake libtool nasm
  # the German locale the Wine runs are pinned to
  locales
)

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"
  elif command -v sudo >/dev/null; then sudo "$@"
  else echo "setup: need root for: $*" >&2; exit 1; fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# The codec sources come from Debian's source indices.
src_list=/etc/apt/sources.list.d/tyvorn-src.sources
if [ ! -f "$src_list" ]; then
  as_root tee "$src_list" >/dev/null <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  export DEBIAN_FRONTEND=noninteractive
  as_root apt-get -o DPkg::Lock::Timeout=900 update -qq
  if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    as_root apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi

if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  as_root sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi

"$here/build-deps.sh"
"$here/build-dcraw.sh"
