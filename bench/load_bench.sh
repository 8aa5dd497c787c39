#!/usr/bin/env bash
# Load benchmark: a generated 200 MB source file (CR LF) loaded by
# kastrell-cli, against vim on the same file in the same run, plus the peak
# memory of decode; then the same text in code page 936 and in UTF-16 LE.
#   bench/load_bench.sh [build/release] [MEGABYTES]
# Times are the best of three runs, wall clock and CPU (user + system); on a
# busy machine the CPU figure is the steadier one.
set -euo pipefail
build="${1:-build/release}"
mb="${2:-200}"
cli="$build/bin/kastrell-cli"
work="$(mktemp -d "${TMPDIR:-/tmp}/kastrell-load-XXXXXX")"
trap 'rm -rf "$work"' EXIT

"$build/bench/make_source_file" "$work/src.txt" "$mb" --chinese
iconv -f UTF-8 -t CP936 "$work/src.txt" > "$work/src936.txt"
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$work/src.txt"; } > "$work/src16.txt"

. "$(dirname "$0")/timing.sh"

for entry in src.txt:UTF-8:0 src936.txt:cp936:936 src16.txt:UTF-16LE:0; do
  IFS=: read -r name label acp <<<"$entry"
  file="$work/$name"
  size=$(( $(stat -c %s "$file") / 1048576 ))
  opts=()
  [ "$acp" != 0 ] && opts=(--acp "$acp")
  read -r wall cpu _ <<<"$(best "$cli" info "${opts[@]}" "$file")"
  mem="$(peak "$cli" decode "${opts[@]}" "$file")"
  line="$label: $size MB; kastrell-cli info $wall s (cpu $cpu s); decode peak $mem MB ($(ratio "$mem" "$size")x the file)"
  if [ "$label" = UTF-8 ] && command -v vim >/dev/null; then
    read -r vwall vcpu _ <<<"$(best vim -u NONE -N -n -es -c q "$file")"
    line="$line; vim $vwall s (cpu $vcpu s): kastrell faster by $(ratio "$vwall" "$wall")x wall, $(ratio "$vcpu" "$cpu")x cpu"
  fi
  echo "$line"
done
