#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks that it holds what the Debian
# package needs, and validates the desktop entry and the AppStream metainfo the way
# software centres read them.
set -euo pipefail
build_dir=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build_dir" --prefix "$prefix" >/dev/null
app_id=org.lyricue.Lyricue
for file in bin/lyricue share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml share/mime/packages/$app_id.xml \
            share/icons/hicolor/scalable/apps/$app_id.svg share/icons/hicolor/48x48/apps/$app_id.png \
            share/man/man1/lyricue.1.gz share/doc/lyricue/copyright share/doc/lyricue/changelog.gz; do
  [ -f "$prefix/$file" ] || { echo "not installed: $file"; exit 1; }
done
# The modules loaded on first use (tags, FFmpeg formats, time stretching), in the
# library folder beside the program's.
for module in tags ffmpeg stretch; do
  compgen -G "$prefix/lib/lyricue/liblyricue_$module.so" >/dev/null ||
    compgen -G "$prefix/lib/*/lyricue/liblyricue_$module.so" >/dev/null ||
    { echo "not installed: the module liblyricue_$module.so"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/$app_id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml"
# Every type the entry opens with is one the MIME database knows, or one this package defines.
defined=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$prefix/share/mime/packages/$app_id.xml")
for type in $(sed -n 's/^MimeType=//p' "$prefix/share/applications/$app_id.desktop" | tr ';' ' '); do
  grep -qF "type=\"$type\"" /usr/share/mime/packages/freedesktop.org.xml || [[ " $defined " == *" $type "* ]] ||
    { echo "MimeType $type is known to no MIME database"; exit 1; }
done
if command -v xmllint >/dev/null; then xmllint --noout "$prefix/share/mime/packages/$app_id.xml"; fi
# The manual page reads without a complaint from groff, and the changelog names this version.
warnings=$(zcat "$prefix/share/man/man1/lyricue.1.gz" | groff -man -Tutf8 -ww -z 2>&1)
[ -z "$warnings" ] || { echo "lyricue.1: $warnings"; exit 1; }
version=$(sed -n 's/^project(Lyricue VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../CMakeLists.txt")
zcat "$prefix/share/doc/lyricue/changelog.gz" | head -1 | grep -qF "lyricue ($version)" ||
  { echo "changelog.gz does not start with version $version"; exit 1; }
