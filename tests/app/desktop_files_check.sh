#!/usr/bin/env bash
# The desktop entry and the AppStream metainfo pass their validators, and cmake --install puts the
# binary, the entry, the metainfo, the icon and the resources into the usual XDG places of a prefix.
# Usage: desktop_files_check.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir=$1
build=$2
desktop=$source_dir/resources/desktop
status=0
fail() { echo "FAIL: $*"; status=1; }

desktop-file-validate "$desktop/com.quenlith.Quenlith.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$desktop/com.quenlith.Quenlith.metainfo.xml" || fail "appstreamcli validate"
grep -qx 'MimeType=x-scheme-handler/quenlith;' "$desktop/com.quenlith.Quenlith.desktop" || fail "scheme handler"

prefix=$(mktemp -d /tmp/quenlith-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"
for file in bin/quenlith share/applications/com.quenlith.Quenlith.desktop \
            share/metainfo/com.quenlith.Quenlith.metainfo.xml \
            share/icons/hicolor/scalable/apps/com.quenlith.Quenlith.svg \
            share/quenlith/locale/zh_Hans.mo share/quenlith/blocklist/ad-hosts.txt; do
  [ -s "$prefix/$file" ] || fail "installed $file"
done
exit $status
