#!/usr/bin/env bash
# Regenerates resources/blocklist/ad-hosts.txt, the built-in list of blocked ad and tracker hosts,
# from the copies of EasyList and EasyPrivacy shipped in the Debian package
# webext-ublock-origin-firefox (installed here when missing; nothing else needs it).
#
# Selection (see resources/blocklist/README.md):
#   1. EasyPrivacy tracking-server sections (easyprivacy_trackingservers*), except the Admiral
#      section of rotating domains: every rule "||host^" or "||host^$third-party".
#   2. EasyList ad-server sections (easylist_adservers, adult_adservers): every "||host^$third-party"
#      rule, and the "||host^" rules whose host EasyList or EasyPrivacy also names in a rule of another,
#      non-pop-up section (allow-lists, element hiding, specific blocks): established ad networks
#      rather than the tens of thousands of throwaway pop-under domains.
# Every name is checked: lower-case letters, digits, "." and "-", at most 75 characters, at least
# one dot, every label 1-63 characters not starting or ending with "-".
set -euo pipefail
cd "$(dirname "$0")/.."

package=webext-ublock-origin-firefox
if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "$package" >/dev/null
fi
version=$(dpkg-query -W -f='${Version}' "$package")
lists=$(dpkg -L "$package" | grep '/assets/thirdparties/easylist/easylist.txt$' | head -n 1)
[ -n "$lists" ] || { echo "update-ad-hosts: EasyList not found in $package" >&2; exit 1; }
dir=$(dirname "$lists")

output=resources/blocklist/ad-hosts.txt
temporary=$(mktemp)
trap 'rm -f "$temporary"' EXIT

LC_ALL=C awk '
function valid(host,    n, labels, i) {
  if (length(host) > 75 || index(host, ".") == 0) return 0
  n = split(host, labels, ".")
  for (i = 1; i <= n; i++)
    if (length(labels[i]) > 63 || labels[i] !~ /^[a-z0-9]([a-z0-9-]*[a-z0-9])?$/) return 0
  return 1
}
/^! \*\*\* easylist:/ { section = $3; next }
{
  sub(/\r$/, "")
  adServers = section ~ /(easylist_adservers|adult_adservers)\.txt$/
  trackers = section ~ /easyprivacy_trackingservers/ && section !~ /admiral/
  if ($0 ~ /^\|\|[a-z0-9.-]+\^(\$third-party)?$/) {
    host = substr($0, 3, index($0, "^") - 3)
    thirdParty = index($0, "$") > 0
    if (valid(host)) {
      if (trackers || (adServers && thirdParty)) print host
      else if (adServers) candidate[host] = 1
    }
  }
  if (adServers || section ~ /popup/ || $0 ~ /^!/) next
  # Remember every host name this rule mentions, with all its parent domains.
  text = tolower($0)
  while (match(text, /[a-z0-9][a-z0-9.-]*\.[a-z][a-z]+/)) {
    token = substr(text, RSTART, RLENGTH)
    text = substr(text, RSTART + RLENGTH)
    while (index(token, ".") > 0) { mentioned[token] = 1; token = substr(token, index(token, ".") + 1) }
  }
}
END { for (host in candidate) if (host in mentioned) print host }
' "$dir/easylist.txt" "$dir/easyprivacy.txt" | LC_ALL=C sort -u > "$temporary"

count=$(wc -l < "$temporary")
if [ "$count" -lt 5000 ] || [ "$count" -gt 8000 ]; then
  echo "update-ad-hosts: $count host names, outside 5,000 to 8,000; check the selection" >&2
  exit 1
fi
# One text, names separated by "\n", no newline at the end.
head -c -1 "$temporary" > "$output"
echo "update-ad-hosts: $count host names from $package $version written to $output"
