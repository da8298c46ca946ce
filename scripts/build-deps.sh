#!/usr/bin/env bash
# Cross-builds the codec libraries that Debian ships no MinGW package of, as
# static libraries, from Debian's own source tarballs pinned by checksum.
# The result lands in a cache prefix outside the work tree, keyed by the
# checksums and this script, so a warm run does nothing.
#
#   build-deps.sh                 build when missing; prints nothing else on a warm run
#   build-deps.sh --print-prefix  print the prefix the build uses
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

cache="${TYVORN_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tyvorn-deps}"

# source package | upstream version | sha256 of the .orig tarball
deps=(
  "libpng1.6|1.6.39|a00e9d2f2f664186e4202db9299397f851aea71b36a35e74910b8820e380d441"
  "cfitsio|4.2.0|eba53d1b3f6e345632bb09a7b752ec7ced3d63ec5153a848380f3880c5d61889"
  "libjpeg-turbo|2.1.5|254f3642b04e309fee775123133c6464181addc150499561020312ec61c1bf7c"
  "giflib|5.2.1|31da5562f44c5f15d63340a09a4fd62b48c45620cd302f77a6d9acf0077879bd"
  "tiff|4.5.0|638f43d7dea33948d5dee7f39572fc0194d9cc3c74195de9dd26a4388a1f880a"
)

key=$( { printf '%s\n' "${deps[@]}"; cat "$0"; } | sha256sum | cut -c1-16)
prefix="$cache/mingw-$key"

if [ "${1:-}" = "--print-prefix" ]; then echo "$prefix"; exit 0; fi
if [ -f "$prefix/.complete" ]; then exit 0; fi

host=x86_64-w64-mingw32
export CC=$host-gcc-posix CXX=$host-g++-posix AR=$host-ar RANLIB=$host-ranlib
jobs=$(nproc)
tarballs="$cache/tarballs"
work="$cache/build-$key"
mkdir -p "$tarballs"
# Earlier builds with other pins are stale.
rm -rf "$cache"/mingw-* "$cache"/build-*
mkdir -p "$work" "$prefix/include" "$prefix/lib"
log="$work/build.log"
echo "build-deps: cross-building codec libraries into $prefix (log: $log)"

fail() { echo "build-deps: $*" >&2; echo "build-deps: last lines of $log:" >&2; tail -n 30 "$log" >&2 || true; exit 1; }

# Fetches the upstream tarball of a Debian source package and checks it.
fetch() {
  local pkg=$1 ver=$2 sum=$3 file
  file=$(ls "$tarballs/${pkg}_${ver}.orig.tar."* 2>/dev/null | grep -v '\.asc$' | head -n1 || true)
  if [ -z "$file" ]; then
    # A .dsc or .debian.tar missing from the pool is fine as long as the orig tarball arrived.
    (cd "$tarballs" && apt-get source --download-only "$pkg" >>"$log" 2>&1) || true
    file=$(ls "$tarballs/${pkg}_${ver}.orig.tar."* 2>/dev/null | grep -v '\.asc$' | head -n1 || true)
  fi
  if [ -z "$file" ]; then
    got=$(ls "$tarballs/${pkg}_"*.orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -n1 || true)
    if [ -n "$got" ]; then
      echo "build-deps: $pkg: expected version $ver, Debian served $(basename "$got") (sha256 $(sha256sum "$got" | cut -d' ' -f1)); update the pin in $0" >&2
    else
      echo "build-deps: $pkg: could not fetch the source of version $ver (apt-get source failed; are deb-src indices enabled? run scripts/setup.sh)" >&2
    fi
    exit 1
  fi
  local actual
  actual=$(sha256sum "$file" | cut -d' ' -f1)
  if [ "$actual" != "$sum" ]; then
    echo "build-deps: $pkg $ver: checksum mismatch for $(basename "$file"): got $actual, expected $sum" >&2
    exit 1
  fi
  mkdir -p "$work/$pkg"
  tar -xf "$file" -C "$work/$pkg" --strip-components=1
}

for d in "${deps[@]}"; do
  IFS='|' read -r pkg ver sum <<<"$d"
  fetch "$pkg" "$ver" "$sum"
done

toolchain="$here/../cmake/mingw-w64-x86_64.cmake"
cmake_static=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
              -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_CROSSCOMPILING_EMULATOR=
              -DTYVORN_DEPS_PREFIX="$prefix")
autotools_static=(--host=$host --prefix="$prefix" --disable-shared --enable-static
                  CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" CFLAGS="-O2")

echo "build-deps: libjpeg-turbo"
( cd "$work/libjpeg-turbo" && cmake -S . -B build "${cmake_static[@]}" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON \
  && cmake --build build -j "$jobs" && cmake --install build ) >>"$log" 2>&1 || fail "libjpeg-turbo failed"

echo "build-deps: giflib"
# giflib has a plain Makefile for Unix hosts only: compile the library sources directly.
( cd "$work/giflib" \
  && for f in dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray quantize; do
       $CC -O2 -c "$f.c" -o "$f.o" || exit 1; done \
  && $AR rcs "$prefix/lib/libgif.a" ./*.o && cp gif_lib.h "$prefix/include/" ) >>"$log" 2>&1 || fail "giflib failed"

echo "build-deps: libpng"
( cd "$work/libpng1.6" && ./configure "${autotools_static[@]}" \
  && make -j "$jobs" && make install ) \
  >>"$log" 2>&1 || fail "libpng failed"

echo "build-deps: libtiff"
( cd "$work/tiff" && cmake -S . -B build2 "${cmake_static[@]}" -DBUILD_SHARED_LIBS=OFF \
    -Djpeg=OFF -Dold-jpeg=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Djbig=OFF -Dlibdeflate=OFF \
    -Dlerc=OFF -Dcxx=OFF -Dzlib=ON -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF \
  && cmake --build build2 -j "$jobs" && cmake --install build2 ) \
  >>"$log" 2>&1 || fail "libtiff failed"

echo "build-deps: cfitsio"
( cd "$work/cfitsio" && cmake -S . -B build "${cmake_static[@]}" \
    -DBUILD_SHARED_LIBS=OFF -DUSE_CURL=OFF -DUSE_PTHREADS=OFF -DTESTS=OFF -DUTILS=OFF \
  && cmake --build build -j "$jobs" --target cfitsio && cmake --install build ) \
  >>"$log" 2>&1 || fail "cfitsio failed"

for lib in libjpeg.a libgif.a libpng16.a libtiff.a; do
  [ -f "$prefix/lib/$lib" ] || fail "$lib missing after the build"
done
ls "$prefix"/lib/libcfitsio*.a >/dev/null 2>&1 || fail "libcfitsio.a missing after the build"
rm -rf "$work"
touch "$prefix/.complete"
echo "build-deps: done"
