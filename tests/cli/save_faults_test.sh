#!/usr/bin/env bash
# kastrell-cli convert as a save: links, permissions and owners as a second
# user (the suite runs as root, for whom permission bits stop nothing), a real
# full file system, and kill -9 in the middle of a save. The file being
# replaced must always hold its old contents or the new ones, whole.
set -u
cli="$(realpath "$1")"
dir="$(mktemp -d)"
mnt=""
cleanup() {
  [ -n "$mnt" ] && umount "$mnt" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
chmod 755 "$dir"
fail=0
pass() { echo "ok   $1"; }
flunk() { echo "FAIL $1"; shift; for l in "$@"; do echo "  $l"; done; fail=1; }
skip() { echo "SKIP $1"; }
check() {  # name expected actual
  if [ "$2" != "$3" ]; then flunk "$1" "expected: $2" "actual:   $3"; else pass "$1"; fi
}
nobody=65534
as_nobody() { setpriv --reuid=$nobody --regid=$nobody --clear-groups -- "$@"; }

# --- a. Links, permissions and owners, saved by another user --------------
# Each case prepares a folder as root, then nobody converts in.txt onto the
# name given; the table says what must hold afterwards.
can_switch=no
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null && as_nobody "$cli" --version >/dev/null 2>&1; then
  can_switch=yes
fi
printf 'new text\n' > "$dir/in.txt"
chmod 644 "$dir/in.txt"
new_bytes="$(od -An -tx1 "$dir/in.txt")"
# setup_<case> DIR: makes the files; expect_<case> DIR EXIT ERR: checks them.
setup_readonly_other_owner() { printf 'old\n' > "$1/t.txt"; chmod 444 "$1/t.txt"; }
expect_readonly_other_owner() {
  check "$2 read-only file of another owner: refused" 1 "$3"
  check "$2 read-only file of another owner: contents kept" "old" "$(cat "$1/t.txt")"
  check "$2 read-only file of another owner: owner kept" "0 444" "$(stat -c '%u %a' "$1/t.txt")"
  check "$2 read-only file of another owner: the system's reason is shown" 1 "$(grep -c 'Permission denied' "$4")"
}
setup_writable_other_owner() { printf 'old contents\n' > "$1/t.txt"; chmod 666 "$1/t.txt"; stat -c %i "$1/t.txt" > "$1/inode"; }
expect_writable_other_owner() {
  check "$2 writable file of another owner: saved" 0 "$3"
  check "$2 writable file of another owner: new text" "$new_bytes" "$(od -An -tx1 "$1/t.txt")"
  check "$2 writable file of another owner: owner, mode and identity kept" "0 0 666 $(cat "$1/inode")" \
    "$(stat -c '%u %g %a %i' "$1/t.txt")"
}
setup_group_not_ours() { printf 'old\n' > "$1/t.txt"; chown $nobody:0 "$1/t.txt"; chmod 664 "$1/t.txt"; }
expect_group_not_ours() {
  check "$2 own file in a group the user is not in: saved" 0 "$3"
  check "$2 own file in a group the user is not in: owner and group kept" "$nobody 0 664" \
    "$(stat -c '%u %g %a' "$1/t.txt")"
  check "$2 own file in a group the user is not in: new text" "$new_bytes" "$(od -An -tx1 "$1/t.txt")"
}
setup_hard_links() { printf 'old\n' > "$1/t.txt"; chown $nobody:$nobody "$1/t.txt"; ln "$1/t.txt" "$1/other.txt"; }
expect_hard_links() {
  check "$2 hard-linked file: saved" 0 "$3"
  check "$2 hard-linked file: every name sees the new text" "$new_bytes|$new_bytes" \
    "$(od -An -tx1 "$1/t.txt")|$(od -An -tx1 "$1/other.txt")"
  check "$2 hard-linked file: still two names of one file" 2 "$(stat -c %h "$1/t.txt")"
}
setup_own_file() { printf 'old\n' > "$1/t.txt"; chown $nobody:$nobody "$1/t.txt"; chmod 640 "$1/t.txt"; }
expect_own_file() {
  check "$2 own file: saved with its mode" "0 $nobody 640" "$3 $(stat -c '%u %a' "$1/t.txt")"
  check "$2 own file: new text" "$new_bytes" "$(od -An -tx1 "$1/t.txt")"
}
setup_dotdot_link() {
  mkdir -p "$1/work" "$1/elsewhere/deep"
  printf 'old\n' > "$1/elsewhere/target"; printf 'decoy\n' > "$1/work/target"
  chown -R $nobody "$1/work" "$1/elsewhere"
  ln -s ../elsewhere/deep "$1/work/sub"
  ln -s work/sub/../target "$1/t.txt"
}
expect_dotdot_link() {
  check "$2 link to sub/../target behind a linked sub: saved" 0 "$3"
  check "$2 link to sub/../target: the file the link names has the new text" "$new_bytes" \
    "$(od -An -tx1 "$1/elsewhere/target")"
  check "$2 link to sub/../target: the file text arithmetic names is untouched" "decoy" "$(cat "$1/work/target")"
  check "$2 link to sub/../target: the link stays" "work/sub/../target" "$(readlink "$1/t.txt")"
}
cases='readonly_other_owner writable_other_owner group_not_ours hard_links own_file dotdot_link'
if [ "$can_switch" = yes ]; then
  for c in $cases; do
    d="$dir/$c"
    mkdir "$d"
    chmod 777 "$d"
    "setup_$c" "$d"
    as_nobody "$cli" convert --encoding 65001 --line-style 0 "$dir/in.txt" "$d/t.txt" 2>"$d.err"
    rc=$?
    "expect_$c" "$d" "[$c]" "$rc" "$d.err"
    check "[$c] no temporary file left" "" "$(find "$d" -name '.*.tmp-*' | tr '\n' ' ')"
  done
else
  skip "links, permissions and owners: cannot run kastrell-cli as user $nobody (not root, no setpriv, or the build is not readable to that user)"
fi

# --- b. A real full file system -------------------------------------------
# A 1 MB tmpfs, filled up to different levels; every save either succeeds
# whole or fails and leaves the old file as it was, with nothing left over.
# Runs in its own mount namespace when the system lets the test mount.
full_fs_run() {  # mountpoint
  local m="$1" old free
  mount -t tmpfs -o size=1m tmpfs "$m" || return 77
  head -c 300000 /dev/zero | tr '\0' 'o' > "$m/doc.txt"
  ln "$m/doc.txt" "$m/linked.txt" 2>/dev/null
  cp "$m/doc.txt" "$dir/old-doc"
  head -c 500000 /dev/zero | tr '\0' 'n' > "$dir/new-doc"
  for target in doc.txt linked.txt; do
    for free in 0 4096 100000 290000 400000 520000 700000; do
      rm -f "$m/filler"
      cp "$dir/old-doc" "$m/$target.tmp-old" && cat "$m/$target.tmp-old" > "$m/$target" && rm -f "$m/$target.tmp-old"
      avail=$(( $(stat -f -c '%a*%S' "$m") ))
      [ "$avail" -gt "$free" ] && head -c $((avail - free)) /dev/zero > "$m/filler" 2>/dev/null
      "$cli" convert --encoding 1252 --line-style 0 --acp 1252 "$dir/new-doc" "$m/$target" 2>"$dir/full.err"
      rc=$?
      if [ $rc = 0 ]; then
        cmp -s "$dir/new-doc" "$m/$target" || flunk "full disk: $target, $free bytes free: exit 0 but not the new text"
      elif ! cmp -s "$dir/old-doc" "$m/$target"; then
        flunk "full disk: $target, $free bytes free: failed (exit $rc) and the old text is damaged" "$(cat "$dir/full.err")"
      elif ! grep -q 'No space left' "$dir/full.err"; then
        flunk "full disk: $target, $free bytes free: failed without saying why" "$(cat "$dir/full.err")"
      fi
      left="$(find "$m" -name '.*.tmp-*' | tr '\n' ' ')"
      [ -z "$left" ] || flunk "full disk: $target, $free bytes free: temporary files left: $left"
      echo "$target $free $rc" >> "$dir/full.log"
    done
  done
  umount "$m"
}
if [ "$(id -u)" = 0 ] && command -v unshare >/dev/null; then
  mkdir "$dir/mnt"
  export -f full_fs_run flunk check pass
  export cli dir fail
  out="$(unshare -m bash -c 'full_fs_run "$0"; echo "rc=$?"' "$dir/mnt" 2>&1)"
  case "$out" in
    *rc=77*) skip "full file system: cannot mount a tmpfs here" ;;
    *FAIL*) echo "$out"; fail=1 ;;
    *)
      # Both outcomes must have happened, or the levels did not test anything.
      check "full disk: some saves failed, some got through, the old file always whole" "yes yes" \
        "$(grep -q ' [12]$' "$dir/full.log" && echo yes) $(grep -q ' 0$' "$dir/full.log" && echo yes)"
      ;;
  esac
else
  skip "full file system: not root or no unshare, so no tmpfs can be mounted"
fi

# --- c. kill -9 during a save ---------------------------------------------
# A 20 MB text replaces a smaller file; the process is killed after growing
# delays. The file is always the old one or the new one; the next save
# removes what the killed ones left.
mkdir "$dir/kill"
head -c 20000000 /dev/zero | tr '\0' 'k' | fold -w 99 > "$dir/kill/in.txt"
printf 'the old contents\n' > "$dir/kill/old.txt"
cp "$dir/kill/old.txt" "$dir/kill/doc.txt"
"$cli" convert --encoding 65001 --line-style 0 "$dir/kill/in.txt" "$dir/kill/want.txt" 2>/dev/null
states=""
for delay in 0.02 0.1 0.2 0.35 0.5 0.7 0.9 1.2; do
  "$cli" convert --encoding 65001 --line-style 0 "$dir/kill/in.txt" "$dir/kill/doc.txt" 2>/dev/null &
  pid=$!
  sleep "$delay"
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  if cmp -s "$dir/kill/doc.txt" "$dir/kill/old.txt"; then
    states="$states old"
  elif cmp -s "$dir/kill/doc.txt" "$dir/kill/want.txt"; then
    states="$states new"
    cp "$dir/kill/old.txt" "$dir/kill/doc.txt"
  else
    flunk "kill -9 after ${delay}s: the file is neither the old nor the new one" "$(ls -la "$dir/kill")"
  fi
done
pass "kill -9 sweep: the file was always whole (${states# })"
"$cli" convert --encoding 65001 --line-style 0 "$dir/kill/old.txt" "$dir/kill/doc.txt" 2>/dev/null
check "kill -9 sweep: the next save removes the temporary files of the killed ones" "" \
  "$(find "$dir/kill" -name '.doc.txt.tmp-*' | tr '\n' ' ')"

exit $fail
