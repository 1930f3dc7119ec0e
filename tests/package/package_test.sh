#!/usr/bin/env bash
# The Debian package as a user gets it: cpack builds it from this build folder, dpkg -x unpacks
# it into a temporary root, and the programs there answer --version, rip a disc image and find
# their share files in the package; the validators accept its desktop entry and metainfo.
#   package_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "$*"
  exit 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/out/disctrove_*.deb)
root=$work/root
dpkg-deb -x "$deb" "$root"

# Dependencies: what dpkg-shlibdeps found (libc, Qt, libcdio...) and what is opened at run time.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libmp3lame0 qt6-qpa-plugins libavcodec libavformat libc6 libqt6widgets6 libcdio; do
  [[ $depends == *"$package"* ]] || fail "Depends lacks $package: $depends"
done
[ "$(dpkg-deb -f "$deb" Section)" = sound ] || fail "section $(dpkg-deb -f "$deb" Section)"

# Both programs say the version that project() gives, and the metainfo's newest release is it.
version=$(dpkg-deb -f "$deb" Version)
[ "$("$root/usr/bin/disctrove-cli" --version)" = "Disctrove $version" ] ||
  fail "disctrove-cli --version: $("$root/usr/bin/disctrove-cli" --version)"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$root/usr/bin/disctrove" --version)" = \
  "Disctrove $version" ] || fail "disctrove --version without a display failed"
metainfo=$root/usr/share/metainfo/org.disctrove.Disctrove.metainfo.xml
grep -m1 '<release ' "$metainfo" | grep -q "version=\"$version\"" ||
  fail "the metainfo's newest release is not $version"

appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log"; fail "appstreamcli rejects the metainfo"; }
desktop=$root/usr/share/applications/org.disctrove.Disctrove.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
grep -qx 'MimeType=x-content/audio-cdda;' "$desktop" || fail "no audio CD MIME type"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in 16 24 32 48 64 128 256; do
  file "$root/usr/share/icons/hicolor/${size}x$size/apps/$icon.png" |
    grep -q "PNG image data, $size x $size" || fail "no $size px icon $icon"
done
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon"
for page in disctrove disctrove-cli; do
  zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q "^\.TH ${page^^} 1" || fail "no man page $page"
done
bash -c "source '$root/usr/share/bash-completion/completions/disctrove-cli'; complete -p disctrove-cli" \
  >/dev/null || fail "the bash completion does not load"

# A rip of a two-track image with the installed program: the tracks come out bit for bit, and
# the completion sound is read from the package's share folder.
mkdir "$work/image"
image=$("$build/tests/make-cue-image" "$work/image" disc 600 450)
mkdir "$work/music"
strace -f -e trace=openat -o "$work/trace" "$root/usr/bin/disctrove-cli" \
  --settings "$work/none.ini" --image "$image" --set GENERAL/Outfolder="$work/music" \
  --set SECURE/AccurateRip=False --set SECURE/Ctdb=False --set GENERAL/Makesound=True \
  rip --encoder wav --template '$n' >"$work/rip.out" 2>&1 || { cat "$work/rip.out"; fail "rip failed"; }
[ "$(grep -cP "^[12]\tCompleted\t" "$work/rip.out")" -eq 2 ] || { cat "$work/rip.out"; fail "not both tracks"; }
bin=$(dirname "$image")/$(sed -n 's/^FILE "\(.*\)" BINARY$/\1/p' "$image")
head -c $((600 * 2352)) "$bin" | cmp - <(sox "$work/music/01.wav" -t raw -) ||
  fail "track 1 differs from the image"
tail -c $((450 * 2352)) "$bin" | cmp - <(sox "$work/music/02.wav" -t raw -) ||
  fail "track 2 differs from the image"
grep -q "openat(.*\"$root/usr/bin/../share/disctrove/ripdone.wav\", O_RDONLY.*= [0-9]" "$work/trace" ||
  fail "the completion sound was not opened from $root/usr/share/disctrove"
for file in tips.txt help/index.htm help/start.htm; do
  [ -f "$root/usr/share/disctrove/$file" ] || fail "no $file in the package"
done
echo "$(basename "$deb") installs, rips and validates"
