#!/usr/bin/env bash
# Load benchmark: a generated 200 MB source file (CR LF) loaded by
# kastrell-cli info and decode, against vim on the same file in the same run,
# plus the peak memory of decode and the huge pages the kernel granted at that
# peak; then the same text in code page 936 and in UTF-16 LE.
#   bench/load_bench.sh [build/release] [MEGABYTES]
# Times are the best of three runs, wall clock and CPU (user + system); on a
# busy machine the CPU figure is the steadier one. Goals: info and decode at
# least 4x faster than vim on UTF-8; decode's peak at most 3.5x the file.
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
  "$cli" info "${opts[@]}" "$file" > /dev/null  # warm the page cache
  read -r iwall icpu _ <<<"$(best "$cli" info "${opts[@]}" "$file")"
  read -r dwall dcpu dmem <<<"$(best "$cli" decode "${opts[@]}" "$file")"
  read -r huge rss <<<"$(hugepages "$cli" decode "${opts[@]}" "$file")"
  echo "$label: $size MB; info $iwall s (cpu $icpu s); decode $dwall s (cpu $dcpu s)," \
    "peak $dmem MB ($(ratio "$dmem" "$size")x the file)"
  echo "  huge pages at decode's peak: $huge MB of $rss MB resident"
  if [ "$label" = UTF-8 ] && command -v vim >/dev/null; then
    read -r vwall vcpu _ <<<"$(best vim -u NONE -N -n -es -c q "$file")"
    echo "  vim $vwall s (cpu $vcpu s): info faster by $(ratio "$vwall" "$iwall")x wall" \
      "($(ratio "$vcpu" "$icpu")x cpu), decode by $(ratio "$vwall" "$dwall")x wall ($(ratio "$vcpu" "$dcpu")x cpu)"
  fi
done
