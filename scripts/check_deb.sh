#!/usr/bin/env bash
# Builds the Debian package (cpack -G DEB from the release preset), checks it with
# lintian, installs it with apt into a fresh Debian 12 root made by debootstrap, and
# starts the installed lyricue there under xvfb-run until its window has painted, then
# opens and plays a track, so that it loads its tag module and SDL2; then opens a FLAC
# track, plays it at 80 % and writes lyrics into it, so that the FFmpeg and Rubber Band
# modules and the tag module's writing are proven to load from the package alone.
# Needs root, debootstrap and Debian's package mirror; takes minutes. Downloads are
# kept in build/deb-check/ so that later runs fetch nothing they already have.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "check_deb.sh needs root (debootstrap, chroot)." >&2; exit 1; }
source scripts/setup.sh
lyricue_install_missing debootstrap lintian
started=$SECONDS
work=$PWD/build/deb-check
mkdir -p "$work/debootstrap-cache" "$work/apt-archives/partial"

echo "== building the package"
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" >/dev/null
rm -f build/release/lyricue_*.deb
(cd build/release && cpack -G DEB >/dev/null)
package=$(ls build/release/lyricue_*.deb)
echo "package:  $package ($(stat -c %s "$package") bytes)"
echo "Depends:  $(dpkg-deb -f "$package" Depends)"
echo "== lintian (errors and warnings fail the check)"
lintian --fail-on error,warning "$package" 2>/dev/null || { echo "FAILED: lintian"; exit 1; }

root=$(mktemp -d "$work/root.XXXXXX")
cleanup() {
  for mount in "$root/var/cache/apt/archives" "$root/dev/shm" "$root/dev/pts" "$root/proc"; do
    mountpoint -q "$mount" && umount "$mount"
  done
  # Only once nothing is mounted inside, never across into the host's file systems.
  if [ -z "$(findmnt -rn -o TARGET | grep -F "$root/" || true)" ]; then
    rm -rf --one-file-system "$root"
  fi
}
trap cleanup EXIT

echo "== making a fresh Debian 12 root with debootstrap"
debootstrap --variant=minbase --cache-dir="$work/debootstrap-cache" bookworm "$root" >"$work/debootstrap.log" 2>&1 ||
  { tail -20 "$work/debootstrap.log"; echo "FAILED: debootstrap"; exit 1; }
mount -t proc proc "$root/proc"
mkdir -p "$root/dev/pts" "$root/dev/shm"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
mount -t tmpfs tmpfs "$root/dev/shm"
mount --bind "$work/apt-archives" "$root/var/cache/apt/archives"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
  DEBIAN_FRONTEND=noninteractive "$@"; }

echo "== apt-get install ./$(basename "$package") in the fresh root"
cp "$package" "$root/tmp/"
in_root apt-get update -qq >"$work/apt.log" 2>&1
in_root sh -c "cd /tmp && apt-get install -y -qq ./$(basename "$package")" >>"$work/apt.log" 2>&1 ||
  { tail -20 "$work/apt.log"; echo "FAILED: apt-get install"; exit 1; }

echo "== its libraries and fonts, before anything else is installed"
missing=$(in_root ldd /usr/bin/lyricue | grep "not found" || true)
[ -z "$missing" ] || { echo "$missing"; echo "FAILED: libraries missing"; exit 1; }
for face in IPAPGothic IPAPMincho; do
  echo "$face: $(in_root fc-match -f '%{family} (%{file})' "$face")"
  in_root fc-match -f '%{family}' "$face" | grep -q "$face" || { echo "FAILED: no $face"; exit 1; }
done

echo "== starting the installed lyricue under xvfb-run until its first paint"
in_root apt-get install -y -qq --no-install-recommends xvfb xauth x11-utils x11-apps xdotool >>"$work/apt.log" 2>&1 ||
  { tail -20 "$work/apt.log"; echo "FAILED: installing xvfb"; exit 1; }
cp scripts/check_deb_window.sh tests/data/tagged_id3v2.mp3 "$root/tmp/"
# A copy: the lyrics are written into it. The server must not reset between the two
# lyricue runs (it does when its last client leaves), or the second cannot connect.
cp tests/data/clicks.flac "$root/tmp/song.flac"
if ! in_root xvfb-run -a -s "-screen 0 1024x768x24 -noreset" /tmp/check_deb_window.sh /tmp/tagged_id3v2.mp3 /tmp/song.flac |
  tee "$work/window.log"; then
  echo "FAILED: the installed lyricue"
  exit 1
fi
# What was loaded by name came from the packages installed, not from anywhere else.
for library in "tag reader module" "SDL2" liblyricue_ffmpeg liblyricue_stretch librubberband; do
  file=$(sed -n "s/^$library loaded from //p" "$work/window.log")
  owner=$(in_root dpkg -S "$file" 2>/dev/null | cut -d: -f1) || true
  [ -n "$owner" ] || { echo "FAILED: $file belongs to no package"; exit 1; }
  echo "$file is from the package $owner"
done
cp "$root/tmp/first_paint.xwd" "$work/first_paint.xwd"
echo "PASSED: $(basename "$package") installs on a fresh Debian 12, paints its window, loads its modules, plays FLAC at 80 % and writes lyrics into it ($((SECONDS - started)) s in all)"
