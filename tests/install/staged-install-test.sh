#!/usr/bin/env bash
# Installs the build into a staging folder (DESTDIR), as a package build
# does, and checks the staged copy: everything a package ships is there,
# the staged norvel-snapshot finds the staged bundle (its German catalogue
# shows), and every place that names the version names the project's.
#
#   staged-install-test.sh BUILD_DIR SOURCE_DIR VERSION STAGE_DIR
set -euo pipefail
build=$1 source=$2 version=$3 stage=$4

fail() {
  echo "staged install: $*" >&2
  exit 1
}

rm -rf "$stage"
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
usr=$stage/usr

for file in bin/norvel-health bin/norvel-snapshot \
  share/norvel-health/Info.plist share/norvel-health/locale/de/LC_MESSAGES/norvel-health.mo \
  share/applications/norvel-health.desktop share/icons/hicolor/scalable/apps/norvel-health.svg \
  share/metainfo/health.norvel.Companion.metainfo.xml \
  share/man/man1/norvel-health.1 share/man/man1/norvel-snapshot.1; do
  [ -f "$usr/$file" ] || fail "/usr/$file is not installed"
done

# Next to the staged binary there is no Info.plist, so the German texts
# can only come from the staged share/norvel-health.
LANGUAGE=de LANG=C.UTF-8 "$usr/bin/norvel-snapshot" --tree "$stage/tree.json"
grep -q 'Demo-Akte für Patient' "$stage/tree.json" ||
  fail "the staged norvel-snapshot did not find the staged bundle's translations"

expect_version() {
  local where=$1 found=$2
  [ "$found" = "$version" ] || fail "$where says version '$found', the project is $version"
}
expect_version "norvel-snapshot --version" \
  "$("$usr/bin/norvel-snapshot" --version | sed -n 's/^norvel-snapshot //p')"
expect_version "Info.plist" \
  "$(sed -n '/CFBundleShortVersionString/{n;s/.*<string>\(.*\)<\/string>.*/\1/p}' \
    "$usr/share/norvel-health/Info.plist")"
expect_version "the metainfo's release" \
  "$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' \
    "$usr/share/metainfo/health.norvel.Companion.metainfo.xml")"
for page in norvel-health norvel-snapshot; do
  expect_version "$page(1)" \
    "$(sed -n 's/^\.TH .* "norvel-health \([^"]*\)".*/\1/p' "$usr/share/man/man1/$page.1")"
done
expect_version "debian/changelog" \
  "$(sed -n '1s/^norvel-health (\([^)]*\)).*/\1/p' "$source/debian/changelog")"
