#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what the desktop reads:
# every file lies under it, the registry file names the driver beside it, the
# menu entry (desktop-file-validate), the file type (xmllint), the icon
# sizes, the manual pages and the programs' --help and --version; then the
# Debian package's files, and lintian finds no error in it.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
for program in desktop-file-validate xmllint; do
  command -v "$program" >/dev/null || { echo "SKIP: $program missing"; exit 0; }
done
fail() { echo "FAIL: $*" >&2; exit 1; }
prefix=$(mktemp -d /tmp/plexo-install-XXXXXX)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"
grep -v "^$prefix/" "$build/install_manifest.txt" && fail "files installed outside the prefix"
# The registry file names the driver's folder under the same prefix.
folder=$(sed -n 's/^KORVA=//p' "$prefix/etc/plexo/registry.ini")
[[ $folder == "$prefix"/* && -e $folder/K3V_DD.so ]] || fail "the registry names $folder"
share=$prefix/share
for file in bin/plexo bin/plexo-guard bin/plexo-tool include/plexo/k3v_dd.h share/applications/plexo.desktop share/mime/packages/plexo.xml \
            share/icons/hicolor/scalable/apps/plexo.svg share/man/man1/plexo.1.gz share/man/man1/plexo-tool.1.gz share/man/man1/plexo-guard.1.gz \
            share/doc/plexo/copyright share/doc/plexo/changelog.gz; do
  [ -e "$prefix/$file" ] || fail "$file not installed"
done
for side in 16 24 32 48 64 128 256; do
  png=$share/icons/hicolor/${side}x${side}/apps/plexo.png
  [ -s "$png" ] || fail "no ${side}px icon"
  # The PNG header holds the width and height as big-endian numbers at 16 and 20.
  [ "$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4" "$7*256+$8}')" = "$side $side" ] || fail "${side}px icon has another size"
done

desktop-file-validate "$share/applications/plexo.desktop" || fail "desktop-file-validate"
xmllint --noout "$share/mime/packages/plexo.xml" || fail "mime XML is not well formed"
xmllint --noout "$share/icons/hicolor/scalable/apps/plexo.svg" || fail "SVG icon is not well formed"
for ext in flm mpo jps; do
  grep -q "glob pattern=\"\\*.$ext\"" "$share/mime/packages/plexo.xml" || fail "no *.$ext glob"
done
grep -q '^MimeType=application/x-plexo-film;' "$share/applications/plexo.desktop" || fail "the entry does not open .flm files"
grep -qx 'MimeType=application/x-plexo-film;image/x-mpo;image/x-jps;image/bmp;image/jpeg;image/png;image/tiff;image/heic;image/heif;video/mp4;video/quicktime;video/x-matroska;video/webm;video/x-msvideo;' "$share/applications/plexo.desktop" ||
  fail "the entry does not list every type the viewer opens"
grep -Eq 'type="image/(bmp|jpeg)"' "$share/mime/packages/plexo.xml" && fail "the MIME file declares a standard type"
if command -v update-mime-database >/dev/null; then
  update-mime-database "$share/mime" 2>/dev/null || fail "update-mime-database"
  grep -q 'application/x-plexo-film' "$share/mime/globs2" || fail "the .flm type is not registered"
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0
"$prefix/bin/plexo" --version | grep -q '^plexo [0-9]' || fail "plexo --version"
"$prefix/bin/plexo" --help | grep -q '^Usage: plexo' || fail "plexo --help"
"$prefix/bin/plexo-tool" --version | grep -q '^plexo-tool [0-9]' || fail "plexo-tool --version"
# Each manual page's header carries the version the programs report.
version=$("$prefix/bin/plexo" --version | sed -n 's/^plexo //p')
for page in plexo plexo-tool plexo-guard; do
  gzip -dc "$share/man/man1/$page.1.gz" | head -1 | grep -qF "\"Plexo $version\"" || fail "$page.1 has no version $version"
done
if command -v man >/dev/null; then
  MANWIDTH=80 man -l "$share/man/man1/plexo.1.gz" 2>/dev/null | grep -q 'stereo' || fail "plexo.1 does not render"
fi

# The package: everything under /usr but the registry file, a configuration
# file in /etc/plexo that names the packed driver's folder.
if command -v cpack >/dev/null && command -v dpkg-deb >/dev/null; then
  (cd "$build" && cpack -G DEB -B "$prefix/deb" >"$prefix/cpack.log" 2>&1) || { cat "$prefix/cpack.log"; fail "cpack"; }
  deb=$(ls "$prefix"/deb/*.deb)
  dpkg-deb -c "$deb" | awk '$6 !~ /\/$/ {print $6}' >"$prefix/files"
  grep -v -e '^\./usr/' -e '^\./etc/plexo/registry\.ini$' "$prefix/files" && fail "files outside /usr"
  grep '^\./usr/local/' "$prefix/files" && fail "files under /usr/local"
  dpkg-deb -I "$deb" conffiles | grep -qx /etc/plexo/registry.ini || fail "the registry file is no conffile"
  dpkg-deb -x "$deb" "$prefix/root"
  folder=$(sed -n 's/^KORVA=//p' "$prefix/root/etc/plexo/registry.ini")
  [ -e "$prefix/root$folder/K3V_DD.so" ] && [ -x "$prefix/root/usr/bin/plexo" ] || fail "no driver in $folder or no plexo"
  if command -v lintian >/dev/null; then
    lintian --allow-root --fail-on error "$deb" >"$prefix/lintian.log" 2>&1 || { cat "$prefix/lintian.log"; fail "lintian"; }
  fi
fi
echo PASS
