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
