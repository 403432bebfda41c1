#!/usr/bin/env bash
# Installs the Debian packages Lyricue needs to build, test and run, if any is missing.
# Sourced by run.sh and test.sh.
lyricue_packages=(build-essential cmake pkgconf qt6-base-dev zlib1g-dev libsdl2-dev libmpg123-dev libpulse-dev
  libtag1-dev libavformat-dev libavcodec-dev libswresample-dev libavutil-dev librubberband-dev
  libgtest-dev libgmock-dev libbenchmark-dev fonts-ipafont-gothic fonts-ipafont-mincho
  fonts-noto-cjk qt6-translations-l10n
  xvfb xauth desktop-file-utils appstream groff-base
  # Private sound servers with a null sink, for the engine's tests on a real server.
  pulseaudio pipewire wireplumber dbus-daemon
  # The test presets link with lld; CI builds with Ninja.
  lld ninja-build)

lyricue_install_missing() {
  local missing=()
  for package in "${lyricue_packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Please install as root: ${missing[*]}" >&2; return 1; }
    sudo=(sudo)
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
