#!/usr/bin/env bash
# Installs the Debian packages listed in packages.txt that are not yet installed.
# Runs apt-get directly as root, through sudo otherwise; does nothing when all are present.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
list="$here/packages.txt"
missing=()
while read -r pkg; do
  pkg="${pkg%%#*}"; pkg="$(echo "$pkg" | tr -d '[:space:]')"
  [ -n "$pkg" ] || continue
  status="$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)"
  [ "$status" = "install ok installed" ] || missing+=("$pkg")
done < "$list"
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
