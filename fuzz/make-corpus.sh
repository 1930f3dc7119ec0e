#!/usr/bin/env bash
# Makes the seed corpus of every fuzz target: a few small, valid inputs each, written at run time
# (the audio ones with sox, oggenc, flac and opusenc), so the repository holds no binary seeds.
# Usage: make-corpus.sh SOURCE_DIR CORPUS_DIR
set -euo pipefail
src=$1
out=$2
rm -rf "$out"
mkdir -p "$out"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

seed() {  # seed TARGET NAME: stdin becomes one seed of TARGET
  mkdir -p "$out/$1"
  cat >"$out/$1/$2"
}

entry='# xmcd
#
# Track frame offsets:
#	150
#	15094
#	33264
#
# Disc length: 2474 seconds
#
DISCID=8309a80a
DTITLE=The Example Band / Songs of Testing
DYEAR=1997
DGENRE=rock
TTITLE0=First Song
TTITLE1=Second Song, which goes on
TTITLE1= for a while
TTITLE2=Caf\xe9 \\n Third
EXTD= YEAR: 1997
PLAYORDER='

# CDDB: the answers to a query and to a read, and an entry (the first byte: the track count).
printf '200 rock 8309a80a The Example Band / Songs of Testing\r\n' | seed cddb_answer_fuzzer exact
printf '210 Found exact matches, list follows (until terminating `.'"'"')\r\nrock 8309a80a A / B\r\nblues 8309a80a C / D\r\n.\r\n' |
  seed cddb_answer_fuzzer exact-list
printf '211 close matches\nrock 8309a80a A / B\n.\n' | seed cddb_answer_fuzzer inexact
printf '202 No match for disc ID 8309a80a.\n' | seed cddb_answer_fuzzer none
printf '210 rock 8309a80a CD database entry follows\r\n%b\r\n.\r\n' "${entry//$'\n'/\\r\\n}" |
  seed cddb_answer_fuzzer read
{ printf '\003'; printf '%b\n' "$entry"; } | seed cddb_entry_fuzzer three-tracks
{ printf '\001'; printf 'DTITLE=Only a title\nTTITLE0=One\n'; } | seed cddb_entry_fuzzer one-track

# The settings file.
seed settings_file_fuzzer dt.ini <<'INI'
[GENERAL]
Encoder=3
Cdrom=0
Outfolder=/home/user/Music
Tmpfolder=
RipInFolder=1
Jitter=3
Template=$a-$n-$t
[CDDB]
Server=gnudb.gnudb.org
Port=80
Proxy=0
[MP3]
Bitrate=192
Usevbr=1
[OGG]
Quality=5
Channels=2
Samplerate=44100
[ID3]
Useid3=1
[MUSICBRAINZ]
Use=1
Server="musicbrainz.org"
[WINDOW]
Width=800
Columns=30,200,60
INI
printf '[GENERAL]\r\nEncoder=banana\r\nCdrom=-7\r\n[SECURE]\r\nOffset=+6\r\n' | seed settings_file_fuzzer crlf

# WAV files: CD audio, 24-bit surround (extensible), 8-bit mono, and a float file (not PCM).
sox -q -n -r 44100 -c 2 -b 16 "$scratch/cd.wav" synth 0.01 sine 440
sox -q -n -r 48000 -c 6 -b 24 "$scratch/surround.wav" synth 0.002 sine 440
sox -q -n -r 8000 -c 1 -b 8 "$scratch/mono8.wav" synth 0.01 sine 440
sox -q -n -r 44100 -c 2 -e floating-point -b 32 "$scratch/float.wav" synth 0.002 sine 440
for f in cd surround mono8 float; do seed wav_fuzzer "$f.wav" <"$scratch/$f.wav"; done
# A 44-byte header claiming 65535 channels of 512-bit samples, and 8 Hz mono.
printf 'RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\xff\xff\x44\xac\0\0\0\0\0\0\0\0\0\x02data\0\0\0\0' |
  seed wav_fuzzer hostile.wav
sox -q -n -r 8 -c 1 -b 16 "$scratch/slow.wav" synth 4 sine 1
seed wav_fuzzer slow.wav <"$scratch/slow.wav"

# Simulated discs.
printf 'track audio 1000\ntrack audio 2000  # the second\nflaky 10-12\njitter 3\n' |
  seed simcd_fuzzer two-tracks
printf 'track audio 300\nsession\ntrack data 500\nunreadable 100\nplain-unreadable 120-130\n' |
  seed simcd_fuzzer enhanced
printf 'track audio 200\ntrack audio 100\nrandom-failures 0-150 0.05\nrandom-failures 260-299 0.5 persistent\n' |
  seed simcd_fuzzer random-failures
printf 'track audio 400\ntrack audio 300\ntrack audio 200\npregap 2 150\npregap 3 1\nindex 2 2 10\nindex 2 3 11\n' |
  seed simcd_fuzzer gaps-and-indexes

# CUE sheets of audio files.
printf 'REM GENRE Rock\nCATALOG 1234567890123\nPERFORMER "A"\nTITLE "B"\nFILE "disc.flac" WAVE\n  TRACK 01 AUDIO\n    INDEX 00 00:00:00\n    INDEX 01 00:10:00\n  TRACK 02 AUDIO\n    TITLE "Two"\n    FLAGS DCP PRE\n    ISRC USXYZ0000002\n    INDEX 00 00:20:00\n    INDEX 01 00:22:00\n    INDEX 02 00:30:00\n' |
  seed cue_sheet_fuzzer one-file
printf 'FILE "a.wav" WAVE\n  TRACK 01 AUDIO\n    PREGAP 00:02:00\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 00 00:04:00\nFILE "bb.wav" WAVE\n    INDEX 01 00:00:00\n    POSTGAP 00:01:00\n' |
  seed cue_sheet_fuzzer files-and-gaps

# Naming: any bytes make metadata; a few with the codes of a template at the end.
printf '\x08Artist\x05Album\x041997\x03..\x01\x00\x00\x00\x02\x03\x04\x05\x06\x07\x08\x09$a-$l-$n-$t' |
  seed naming_fuzzer codes
printf '\x02..\x01.\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00$t' | seed naming_fuzzer dots
printf 'a/b\\c:d*e?f"g<h>i|j\x00\x00\x00\x00\x00\x00$A$r$y$g$$$' | seed naming_fuzzer illegal

# AccurateRip answers: one pressing of two tracks, then two pressings.
pressing() {  # pressing COUNT: a pressing of COUNT tracks with made-up checksums
  printf "\\x$(printf %02x "$1")\x12\x34\x56\x00\x78\x9a\xbc\x00\x0a\xa8\x09\x83"
  for ((t = 0; t < $1; t++)); do printf '\x05\x11\x22\x33\x44\x55\x66\x77\x88'; done
}
pressing 2 | seed accuraterip_fuzzer one
{ pressing 3; pressing 3; } | seed accuraterip_fuzzer two

# CTDB answers: two entries, and none.
seed ctdb_fuzzer two <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<ctdb xmlns="http://db.cuetools.net/ns/mmd-1.0#" xmlns:ext="http://db.cuetools.net/ns/ext-1.0#">
  <entry confidence="37" crc32="a1b2c3d4" hasparity="/parity?id=1&amp;x=2" id="1234567" npar="8" stride="5880" toc="0:15000:30000" trackcrcs="0000000f 89abcdef"/>
  <entry confidence="2" crc32="ffffffff" id="89" npar="8" stride="5880" toc="0:15000:-30000:40000"></entry>
  <!-- a comment -->
</ctdb>
XML
printf '<ctdb xmlns="http://db.cuetools.net/ns/mmd-1.0#"/>' | seed ctdb_fuzzer none

# MusicBrainz answers (the first byte: the audio track count).
for json in "$src"/tests/data/musicbrainz/*.json; do
  { printf '\x0a'; cat "$json"; } | seed musicbrainz_fuzzer "$(basename "$json")"
done

# Command lines, NUL after each argument.
printf 'rip\0--image\0disc.simcd\0--encoder\0flac\0--template\0$n-$t\0--outdir\0/tmp/x\0all\0' |
  seed cli_options_fuzzer rip
printf 'rip\0--set\0GENERAL/Jitter=3\0--threads\0002\0--secure\0--offset\0-6\0001,3-5\0' |
  seed cli_options_fuzzer secure
printf 'lookup\0--source\0musicbrainz\0--release\0002\0--drive\0000\0--answer-overwrite\0all\0' |
  seed cli_options_fuzzer lookup
printf -- '--help\0' | seed cli_options_fuzzer help

# Tiny Ogg Vorbis, FLAC and Opus files, mono and stereo.
sox -q -n -r 44100 -c 2 -b 16 "$scratch/stereo.wav" synth 0.05 sine 440
sox -q -n -r 44100 -c 1 -b 16 "$scratch/mono.wav" synth 0.05 sine 440
for f in stereo mono; do
  oggenc -Q -q 0 -o "$scratch/$f.ogg" "$scratch/$f.wav"
  flac -s -f -o "$scratch/$f.flac" "$scratch/$f.wav"
  opusenc --quiet --bitrate 16 "$scratch/$f.wav" "$scratch/$f.opus"
  seed ogg_decoder_fuzzer "$f.ogg" <"$scratch/$f.ogg"
  seed flac_decoder_fuzzer "$f.flac" <"$scratch/$f.flac"
  seed opus_decoder_fuzzer "$f.opus" <"$scratch/$f.opus"
  for d in ogg flac opus; do seed convert_source_fuzzer "$f.$d" <"$scratch/$f.$d"; done
  lame --quiet -b 32 "$scratch/$f.wav" "$scratch/$f.mp3"
  seed convert_source_fuzzer "$f.mp3" <"$scratch/$f.mp3"
  for c in aac alac; do
    ffmpeg -v error -y -i "$scratch/$f.wav" -c:a $c -f mp4 "$scratch/$f.$c.m4a"
    seed convert_source_fuzzer "$f.$c.m4a" <"$scratch/$f.$c.m4a"
  done
  ffmpeg -v error -y -i "$scratch/$f.wav" -c:a wmav2 "$scratch/$f.wma"
  seed convert_source_fuzzer "$f.wma" <"$scratch/$f.wma"
  seed convert_source_fuzzer "$f.wav" <"$scratch/$f.wav"
done
sox -q -n -r 48000 -c 2 -b 24 "$scratch/hires.flac" synth 0.02 sine 440
seed flac_decoder_fuzzer hires.flac <"$scratch/hires.flac"
