#!/usr/bin/env bash
# The desktop entry and the AppStream metainfo pass their validators, and cmake --install puts the
# binary, the entry, the metainfo, the icon and the compiled catalogs into the XDG places of a
# prefix. Usage: desktop_files_check.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
desktop=$1/resources/desktop
prefix=$(mktemp -d /tmp/quenlith-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
status=0
desktop-file-validate "$desktop/com.quenlith.Quenlith.desktop" || status=1
appstreamcli validate --no-net "$desktop/com.quenlith.Quenlith.metainfo.xml" || status=1
cmake --install "$2" --prefix "$prefix" >/dev/null || status=1
for file in bin/quenlith share/applications/com.quenlith.Quenlith.desktop share/applications/mimeinfo.cache \
            share/metainfo/com.quenlith.Quenlith.metainfo.xml share/quenlith/locale/zh_Hans.mo \
            share/icons/hicolor/scalable/apps/com.quenlith.Quenlith.svg; do
  [ -s "$prefix/$file" ] || { echo "FAIL: not installed: $file"; status=1; }
done
grep -q '^x-scheme-handler/quenlith=com.quenlith.Quenlith.desktop;' "$prefix/share/applications/mimeinfo.cache" ||
  { echo "FAIL: not the quenlith:// handler"; status=1; }
exit $status
