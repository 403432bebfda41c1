#!/usr/bin/env bash
# Remakes the committed test fixtures in this folder. Needs sox, lame, flac, vorbis-tools,
# opus-tools, ffmpeg and python3;
# the test suite itself never runs it. Output is reproducible (sox -R, fixed lame options).
# damaged_huge_info_count.mp3 is not made here: a fuzz target found it, and it is kept as found.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 3 s of a 440 Hz tone, mono, 44.1 kHz.
sox -R -n -r 44100 -c 1 -b 16 "$work/tone.wav" synth 3 sine 440 vol 0.5
# CBR with a Xing/Info (LAME) header: gapless decoding trims encoder delay and padding.
# 56 kbit/s is the lowest rate whose 44.1 kHz frame is large enough for lame to write
# the header; --resample keeps lame from lowering the rate for a low bit rate.
lame --quiet -m m -b 56 --resample 44.1 --noreplaygain "$work/tone.wav" tone_xing.mp3
# CBR without any header: the length comes from a scan.
lame --quiet -m m -b 56 --resample 44.1 -t --noreplaygain "$work/tone.wav" tone_noxing.mp3
# Stereo, 440 Hz left and 660 Hz right, for channel volume and mono mixing.
sox -R -n -r 44100 -c 2 -b 16 "$work/stereo.wav" synth 3 sine 440 sine 660 vol 0.5
lame --quiet -m s -b 64 --resample 44.1 --noreplaygain "$work/stereo.wav" tone_stereo.mp3
# VBR without a header: the unscanned length estimate is wrong, a scan is needed.
lame --quiet -m m -V 6 -t --noreplaygain "$work/tone.wav" tone_vbr_noxing.mp3
# Three plucked notes after silence, at the lowest VBR quality: the silent frames are the
# smallest there are, and each note's first frame takes its data from the bit reservoir
# they carry. MPEG 1 at 44.1 kHz, and MPEG 2 at 22.05 kHz with its smaller frames.
for note in 440:0.75:0 587:0.6:0 784:0.5:0.4; do
  IFS=: read -r pitch before after <<<"$note"
  sox -R -n -r 44100 -c 1 -b 16 "$work/note$pitch.wav" synth 0.25 pluck "$pitch" vol 0.6 pad "$before" "$after"
done
sox "$work/note440.wav" "$work/note587.wav" "$work/note784.wav" "$work/notes.wav"
lame --quiet -m m -V 9 --resample 44.1 --noreplaygain "$work/notes.wav" notes_vbr.mp3
lame --quiet -m m -V 9 --noreplaygain "$work/notes.wav" notes_vbr_22k.mp3


# The formats FFmpeg decodes: 3 s of low-passed noise, mono, so that a seek's landing
# shows as the one lag at which its frames match a decoding from the start. Each carries
# title, artist and album in its own kind of tag; *_cut.* are the same cut after 60 %
# of their bytes. FLAC, Vorbis, AAC and WAV at 22.05 kHz; Opus always decodes at 48 kHz.
sox -R -n -r 22050 -c 1 -b 16 "$work/noise.wav" synth 3 whitenoise vol 0.1 lowpass 4000
sox -R -n -r 48000 -c 1 -b 16 "$work/noise48.wav" synth 3 whitenoise vol 0.4 lowpass 4000
title="海の歌" artist="中村" album="夏の記録"
flac --silent --force -5 -T "TITLE=$title" -T "ARTIST=$artist" -T "ALBUM=$album" -o noise.flac "$work/noise.wav"
oggenc --quiet --serial 1 -q 0 -t "$title" -a "$artist" -l "$album" -o noise.ogg "$work/noise.wav"
opusenc --quiet --serial 1 --bitrate 16 --title "$title" --artist "$artist" --album "$album" \
  "$work/noise48.wav" noise.opus
ffmpeg -loglevel error -y -i "$work/noise.wav" -c:a aac -b:a 32k -fflags +bitexact -flags:a +bitexact -movflags +faststart \
  -metadata title="$title" -metadata artist="$artist" -metadata album="$album" noise.m4a
# A second of silence whose RIFF INFO texts ffmpeg writes in UTF-8, as many tools do.
ffmpeg -loglevel error -y -f lavfi -i anullsrc=r=8000:cl=mono -t 1 -c:a pcm_s16le -fflags +bitexact -flags:a +bitexact \
  -metadata title="夜明け 360°" -metadata artist="Beyoncé" -metadata album="Și ești aici" silence_utf8_info.wav

# Clicks at known frames over quiet noise, for finding where each format puts a sound:
# 10 ms of 1 kHz at 0.8, each starting at its rising zero 7 frames after a tenth of a
# second (0.4, 1.1, 1.9, 2.6, 3.2, 3.7 s; the second stream of chained.ogg: 0.3, 1.5,
# 2.7 s). The quiet noise keeps every codec's packets of a usual size.
FIXTURE_WORK="$work" python3 - <<'PY'
import math, os, random, struct, wave

def clicks(name, rate, seconds, at_seconds, seed):
    rng = random.Random(seed)
    samples, low = [], 0.0
    for _ in range(int(rate * seconds)):
        low += 0.3 * (rng.uniform(-1, 1) - low)
        samples.append(0.002 * low)
    for second in at_seconds:
        at = round(second * rate) + 7
        for i in range(rate // 100):
            samples[at + i] += 0.8 * math.sin(2 * math.pi * 1000 * i / rate)
    with wave.open(os.path.join(os.environ["FIXTURE_WORK"], name), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(b"".join(struct.pack("<h", round(x * 32767)) for x in samples))

first = [0.4, 1.1, 1.9, 2.6, 3.2, 3.7]
clicks("clicks.wav", 22050, 4, first, 1)
clicks("clicks11.wav", 11025, 4, first, 1)
clicks("clicks48.wav", 48000, 4, first, 1)
clicks("clicks_second.wav", 22050, 3, [0.3, 1.5, 2.7], 2)
# Streams of a single page: a quarter second at 8 kHz, a fifth at 48 kHz.
clicks("short.wav", 8000, 0.25, [0.1], 3)
clicks("short48.wav", 48000, 0.2, [0.1], 3)

# Noise with 5 ms bursts at uneven times, 44.1 kHz: Vorbis switches between its short and
# long blocks all through it.
rng = random.Random(4)
samples, low = [], 0.0
for _ in range(3 * 44100):
    low += 0.3 * (rng.uniform(-1, 1) - low)
    samples.append(0.05 * low)
second = 0.05
while second < 2.98:
    at = round(second * 44100)
    for i in range(44100 // 200):
        samples[at + i] += 0.6 * math.sin(2 * math.pi * 1500 * i / 44100)
    second += 0.15 * (0.5 + rng.random())
with wave.open(os.path.join(os.environ["FIXTURE_WORK"], "bursts.wav"), "wb") as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(44100)
    out.writeframes(b"".join(struct.pack("<h", round(max(-1, min(1, x)) * 32767)) for x in samples))
PY
flac --silent --force -5 -o clicks.flac "$work/clicks11.wav"
oggenc --quiet --serial 1 -q 0 -o clicks.ogg "$work/clicks.wav"
opusenc --quiet --serial 1 --bitrate 16 "$work/clicks48.wav" clicks.opus
ffmpeg -loglevel error -y -i "$work/clicks.wav" -c:a aac -b:a 32k -fflags +bitexact -flags:a +bitexact \
  -movflags +faststart clicks.m4a
# Two Vorbis streams one after the other, of other qualities, as a recording of a radio
# station holds them.
oggenc --quiet --serial 2 -q 2 -o "$work/second.ogg" "$work/clicks_second.wav"
cat clicks.ogg "$work/second.ogg" > chained.ogg
oggenc --quiet --serial 1 -q 3 -o bursts.ogg "$work/bursts.wav"
oggenc --quiet --serial 1 -q 0 -o short.ogg "$work/short.wav"
oggenc --quiet --serial 2 -q 0 -o "$work/short_second.ogg" "$work/short.wav"
cat short.ogg "$work/short_second.ogg" > short_chained.ogg
opusenc --quiet --serial 1 --bitrate 16 "$work/short48.wav" short.opus

FIXTURE_WORK="$work" python3 - <<'PY'
import struct

def riff_rmp(mp3: bytes, info: dict) -> bytes:
    def chunk(cid: bytes, payload: bytes) -> bytes:
        pad = b"\0" if len(payload) % 2 else b""
        return cid + struct.pack("<I", len(payload)) + payload + pad
    body = b"RMP3" + chunk(b"data", mp3)
    if info:
        texts = b"".join(chunk(k, v + b"\0") for k, v in info.items())
        body += chunk(b"LIST", b"INFO" + texts)
    return b"RIFF" + struct.pack("<I", len(body)) + body

mp3 = open("tone_xing.mp3", "rb").read()
info = {
    b"INAM": "春の歌".encode("cp932"),
    b"IART": "山田太郎".encode("cp932"),
    b"ICMT": "コメント".encode("cp932"),
    b"IGNR": "J-Pop".encode("cp932"),
}
open("tone.rmp", "wb").write(riff_rmp(mp3, info))
open("tone_noinfo.rmp", "wb").write(riff_rmp(mp3, {}))

def id3v1(title, artist, album, year, comment, genre) -> bytes:
    def field(b, n):
        return b[:n].ljust(n, b"\0")
    return (b"TAG" + field(title, 30) + field(artist, 30) + field(album, 30)
            + field(year, 4) + field(comment, 30) + bytes([genre]))

plain = open("tone_noxing.mp3", "rb").read()
open("tagged_id3v1.mp3", "wb").write(plain + id3v1(
    "夏の夜".encode("cp932"), "鈴木花子".encode("cp932"), "アルバム".encode("cp932"),
    b"2024", "テスト".encode("cp932"), 17))
# The same in UTF-8, as some taggers write ID3v1.
open("tagged_id3v1_utf8.mp3", "wb").write(plain + id3v1(
    "夏の夜".encode("utf-8"), "Beyoncé".encode("utf-8"), b"", b"2024", b"", 255))

def frame_offsets(mp3: bytes) -> list:
    """Offsets of the MPEG 1 Layer III frames of a stream without tags, 44.1 kHz."""
    rates = [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320]
    offsets, p = [], 0
    while p + 4 <= len(mp3) and mp3[p] == 0xFF:
        offsets.append(p)
        p += 144 * rates[mp3[p + 2] >> 4] * 1000 // 44100 + ((mp3[p + 2] >> 1) & 1)
    return offsets

# A stray, silent Layer I frame (160 kbit/s, 172 bytes) before the 37th frame: mpg123's
# count of frames then runs a few hundred ahead of the samples it decodes, so a seek
# to 1 s lands near 1 s rather than on it.
layer1 = b"\xff\xff\x50\xc0" + bytes(168)
at = frame_offsets(plain)[36]
open("tone_mixed_layers.mp3", "wb").write(plain[:at] + layer1 + plain[at:])

def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])

def id3v23(frames: list) -> bytes:
    body = b"".join(fid + struct.pack(">I", len(p)) + b"\0\0" + p for fid, p in frames)
    return b"ID3\x03\x00\x00" + syncsafe(len(body)) + body

def utf16(text):  # encoding 1: UTF-16 with byte-order mark
    return b"\x01" + b"\xff\xfe" + text.encode("utf-16-le")

open("tagged_id3v2.mp3", "wb").write(id3v23([
    (b"TIT2", utf16("秋の空")),
    (b"TPE1", utf16("佐藤一郎")),
    (b"TALB", utf16("季節")),
    (b"TYER", b"\x00" + b"2023"),
    (b"TCON", b"\x00" + b"(17)"),
]) + plain + id3v1(b"v1 title", b"v1 artist", b"", b"1999", b"", 0))

# Latin-1 frames whose bytes are really CP932, as Japanese taggers write them.
open("tagged_id3v2_cp932.mp3", "wb").write(id3v23([
    (b"TIT2", b"\x00" + "冬の朝".encode("cp932")),
    (b"TPE1", b"\x00" + "高橋".encode("cp932")),
]) + plain)

# WAV with its texts in a LIST/INFO chunk in CP932 and an "id3 " chunk, as taggers write.
def riff_wav(wav: bytes, chunks: list) -> bytes:
    body = wav[12:] + b"".join(cid + struct.pack("<I", len(p)) + p + (b"\0" if len(p) % 2 else b"")
                               for cid, p in chunks)
    return b"RIFF" + struct.pack("<I", len(body) + 4) + b"WAVE" + body

import os
work = os.environ["FIXTURE_WORK"]
wav = open(f"{work}/noise.wav", "rb").read()
info_texts = b"".join(k + struct.pack("<I", len(v) + 1) + v + b"\0" + (b"\0" if (len(v) + 1) % 2 else b"")
                      for k, v in [(b"INAM", "海の歌".encode("cp932")), (b"IART", "中村".encode("cp932")),
                                   (b"IPRD", "夏の記録".encode("cp932"))])
open("noise.wav", "wb").write(riff_wav(wav, [(b"LIST", b"INFO" + info_texts)]))
open("noise_id3.wav", "wb").write(riff_wav(wav, [(b"id3 ", id3v23([
    (b"TIT2", utf16("海の歌")), (b"TPE1", utf16("中村")), (b"TALB", utf16("夏の記録"))]))]))
for name in ["noise.flac", "noise.ogg", "noise.opus", "noise.m4a", "noise.wav"]:
    data = open(name, "rb").read()
    stem, ext = name.split(".")
    open(f"{stem}_cut.{ext}", "wb").write(data[: len(data) * 6 // 10])

# Lyrics files.
lines = ["[00:00:50]はじめの行", "[00:01:00]二行目", "", "[00:02:00]三行目 end"]
open("lyrics_cp932_crlf.txt", "wb").write("\r\n".join(lines).encode("cp932") + b"\r\n")
open("lyrics_cp932_lf.txt", "wb").write("\n".join(lines).encode("cp932") + b"\n")
open("lyrics_cp932_cr.txt", "wb").write("\r".join(lines).encode("cp932"))
open("lyrics_utf8_lf.txt", "wb").write("\n".join(lines).encode("utf-8") + b"\n")
open("lyrics_utf8_bom_crlf.txt", "wb").write(b"\xef\xbb\xbf" + "\r\n".join(lines).encode("utf-8") + b"\r\n")
# An invalid lead byte pair (0x85 0x40 is unassigned), a lone 0xFD and a stray trail byte.
open("lyrics_invalid_bytes.txt", "wb").write(
    b"[00:01:00]ok\r\n[00:02:00]bad\x85\x40here\r\n\xfdlone\r\nend\x81\r\n")
open("lyrics_nul.txt", "wb").write("[00:01:00]前半".encode("cp932") + b"\0rest\r\nnext\r\n")
PY
echo "fixtures written"
