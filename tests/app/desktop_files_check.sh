#!/usr/bin/env bash
# The desktop entry and the AppStream metainfo pass their validators; cmake --install puts them, the
# icon and the catalogs into the XDG places of a prefix, with the entry registered as the handler of
# quenlith:// links. Usage: desktop_files_check.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
prefix=$(mktemp -d /tmp/quenlith-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
desktop-file-validate "$1/resources/desktop/com.quenlith.Quenlith.desktop" &&
  appstreamcli validate --no-net "$1/resources/desktop/com.quenlith.Quenlith.metainfo.xml" &&
  cmake --install "$2" --prefix "$prefix" >/dev/null &&
  grep -qx 'x-scheme-handler/quenlith=com.quenlith.Quenlith.desktop;' "$prefix/share/applications/mimeinfo.cache" &&
  ls "$prefix"/share/{metainfo/com.quenlith.Quenlith.metainfo.xml,quenlith/locale/zh_Hans.mo} \
     "$prefix/share/icons/hicolor/scalable/apps/com.quenlith.Quenlith.svg" \
     "$prefix/share/icons/hicolor/symbolic/apps/com.quenlith.Quenlith-symbolic.svg" >/dev/null
