#!/bin/sh
# Copies the files named on the command line into a backup folder.
set -e
dest=${BACKUP:-"$HOME/backup"}
if [ ! -d "$dest" ]; then
    mkdir -p "$dest"
fi
for f in "$@"; do
    case "$f" in
        *.tmp) continue ;;
        *) cp -p -- "$f" "$dest/" ;;
    esac
done
count=0
while [ "$count" -lt 3 ]; do
    count=$((count + 1))
done
usage() {
    echo "usage: $0 FILE..." >&2
    exit 2
}
test $# -gt 0 || usage
export dest
exit 0
