#!/usr/bin/env bash
# Save benchmark: the generated 200 MB source file (UTF-8, CR LF) written by
# kastrell-cli convert as UTF-8, code page 936 and UTF-16 LE. convert loads
# before it saves, so the load alone (kastrell-cli info on the same input) is
# timed too and taken off: save = convert - load.
#   bench/save_bench.sh [build/release] [MEGABYTES]
# Times are the best of three runs, wall clock and CPU (user + system); on a
# busy machine the CPU figure is the steadier one. The peak memory is that of
# the fastest convert run; the huge pages are those the kernel granted at the
# peak of one more run. Goals: save at most 1.2x the load for UTF-8 and
# UTF-16, 2x for cp936; convert's peak at most 4x the file.
set -euo pipefail
build="${1:-build/release}"
mb="${2:-200}"
cli="$build/bin/kastrell-cli"
work="$(mktemp -d "${TMPDIR:-/tmp}/kastrell-save-XXXXXX")"
trap 'rm -rf "$work"' EXIT

"$build/bench/make_source_file" "$work/src.txt" "$mb" --chinese >&2

. "$(dirname "$0")/timing.sh"

in="$work/src.txt"
size=$(( $(stat -c %s "$in") / 1048576 ))
"$cli" info "$in" > /dev/null  # warm the page cache
read -r lwall lcpu _ <<<"$(best "$cli" info "$in")"

for entry in 65001:UTF-8 936:cp936 1200:UTF-16LE; do
  IFS=: read -r enc label <<<"$entry"
  out="$work/out.txt"
  # One untimed run that must succeed: a failing convert would time nothing.
  "$cli" convert --encoding "$enc" --line-style 1 "$in" "$out"
  outsize=$(( $(stat -c %s "$out") / 1048576 ))
  read -r cwall ccpu cmem <<<"$(best "$cli" convert --encoding "$enc" --line-style 1 "$in" "$out")"
  read -r huge rss <<<"$(hugepages "$cli" convert --encoding "$enc" --line-style 1 "$in" "$out")"
  swall="$(minus "$cwall" "$lwall")"
  scpu="$(minus "$ccpu" "$lcpu")"
  echo "$label: $size MB in, $outsize MB out; convert $cwall s (cpu $ccpu s, peak $cmem MB," \
    "$(ratio "$cmem" "$size")x the file), load $lwall s (cpu $lcpu s); save $swall s (cpu $scpu s);" \
    "save/load $(ratio "$swall" "$lwall") wall, $(ratio "$scpu" "$lcpu") cpu"
  echo "  huge pages at convert's peak: $huge MB of $rss MB resident"
  rm -f "$out"
done
