# Timing helpers shared by the benchmark scripts; source it.

# best CMD...: runs CMD three times and prints "wall cpu peakMB" of the
# fastest run (cpu = user + system seconds, peak = resident memory).
best() {
  local bw=999999 bc=0 bm=0 t w u s m
  for _ in 1 2 3; do
    t="$( { /usr/bin/time -f '%e %U %S %M' "$@" > /dev/null; } 2>&1 >/dev/null | tail -1)"
    read -r w u s m <<<"$t"
    if awk -v a="$w" -v b="$bw" 'BEGIN{exit !(a < b)}'; then
      bw="$w"
      bc="$(awk -v u="$u" -v s="$s" 'BEGIN{printf "%.2f", u + s}')"
      bm="$(awk -v m="$m" 'BEGIN{printf "%.0f", m / 1024}')"
    fi
  done
  echo "$bw $bc $bm"
}

# peak CMD...: the peak resident memory of one run, in MB.
peak() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1 | awk '{printf "%.0f", $1 / 1024}'; }

minus() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.2f", a - b}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.2f", a / b}'; }

# hugepages CMD...: runs CMD once (output discarded) and samples its
# /proc/PID/smaps_rollup while it runs; prints "hugeMB rssMB" at the sample
# with the most resident memory, so a reader sees whether the kernel granted
# transparent huge pages where the process peaked.
hugepages() {
  "$@" > /dev/null 2>&1 &
  local pid=$! best_rss=0 best_huge=0 rss huge
  while kill -0 "$pid" 2>/dev/null; do
    read -r rss huge <<<"$(awk '/^Rss:/{r=$2} /^AnonHugePages:/{h=$2} END{print r+0, h+0}' \
      "/proc/$pid/smaps_rollup" 2>/dev/null || echo 0 0)"
    if [ "${rss:-0}" -gt "$best_rss" ]; then best_rss=$rss; best_huge=$huge; fi
    sleep 0.01
  done
  wait "$pid" || true
  echo "$((best_huge / 1024)) $((best_rss / 1024))"
}
