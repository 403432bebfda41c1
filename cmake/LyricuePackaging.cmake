# The Debian package: `cpack -G DEB` in the release build makes lyricue_<version>_<arch>.deb
# of everything the install() rules install (no file is listed here), with Depends found
# by dpkg-shlibdeps in every installed program and module, plus what the program loads
# at run time by name, which dpkg-shlibdeps cannot see.
set(LYRICUE_PACKAGE_MAINTAINER "The Lyricue developers <lyricue@lyricue.org>"
    CACHE STRING "Maintainer field of the Debian package and its changelog")

# Loaded by name at run time:
# - SDL2, opened as libSDL2-2.0.so.0 when sound is first needed (sdl_audio_api.cpp),
#   whose audio streams came with 2.0.7;
# - libpulse, opened as libpulse.so.0 to play through a PulseAudio or PipeWire server
#   (pulse_api.cpp), with SDL2 as the way out where no server answers;
# - the window's Japanese faces (control_fonts.cpp): IPA P Gothic and P Mincho, whose
#   widths the layout was made for, else Noto CJK;
# - Qt's Japanese translation, for the はい / いいえ / キャンセル buttons of every box.
set(LYRICUE_RUNTIME_PACKAGES
    "libsdl2-2.0-0 (>= 2.0.7)"
    "libpulse0"
    "fonts-ipafont-gothic | fonts-noto-cjk"
    "fonts-ipafont-mincho | fonts-noto-cjk"
    "qt6-translations-l10n")
list(JOIN LYRICUE_RUNTIME_PACKAGES ", " CPACK_DEBIAN_PACKAGE_DEPENDS)

set(CPACK_PACKAGE_NAME lyricue)
set(CPACK_PACKAGE_VENDOR "The Lyricue developers")
set(CPACK_PACKAGE_CONTACT "${LYRICUE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "time song lyrics line by line while the music plays")
set(CPACK_PACKAGE_DESCRIPTION [=[Lyricue times karaoke lyrics. Open an MP3 or RMP music file and its lyrics
text file; while the music plays, press the Time Input button at the start of
each sung line and the play time goes, as a tag [mm:ss:xx], in front of that
line. Tagged lyrics are saved as Shift_JIS or UTF-8 text, and Save & Load shows
them five lines at a time while the music plays, to check the timing.
The user interface is in Japanese.]=])
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)

# The Debian changelog is dated with the release (RFC 2822, as Debian writes it).
execute_process(COMMAND date -u -R -d "${LYRICUE_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE LYRICUE_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE)
