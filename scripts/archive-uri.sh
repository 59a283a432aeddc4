#!/usr/bin/env bash
# Prints the Debian archive this machine itself uses: the first URI of a bookworm entry in its apt sources (the
# main archive, not the security one). Exits 1 when the sources name none.
set -euo pipefail
uri=""
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
  uri=$(awk '/^URIs:/ {u=$2} /^Suites:/ && / bookworm( |$)/ && u {print u; exit} /^$/ {u=""}' \
    /etc/apt/sources.list.d/debian.sources)
fi
if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
  uri=$(awk '$1 == "deb" && $3 == "bookworm" {print $2; exit}' /etc/apt/sources.list)
fi
[ -n "$uri" ] || { echo "no bookworm entry in this machine's apt sources" >&2; exit 1; }
echo "$uri"
