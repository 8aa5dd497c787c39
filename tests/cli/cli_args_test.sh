#!/usr/bin/env bash
# kastrell-cli's command line and its failures: every error names what was
# wrong and ends with a non-zero exit; lossy conversions fail unless asked;
# output that cannot be written fails the command; nothing hangs.
set -u
cli="$(realpath "$1")"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
fail=0
pass() { echo "ok   $1"; }
flunk() { echo "FAIL $1"; shift; for l in "$@"; do echo "  $l"; done; fail=1; }

printf 'plain text\n' > in.txt
printf 'a\xff\n' > bad.txt              # FF: no character in US-ASCII (20127)
printf '\xff\xfea\x00b' > odd16.txt     # UTF-16 LE with an odd last byte
printf 'a\xe4\xb8\xadb\n' > cjk.txt     # a character 1252 cannot hold
printf 'a+\n' > pattern.txt
: > empty-pattern.txt
printf -- '-x\n' > dash.txt

# name | expected exit | text stderr must hold ('-' for none) | command (eval'ed; $cli is the tool)
cases='
match: unknown option refused               |2| unknown option '"'"'--frob'"'"'        | "$cli" match --frob in.txt
decode: unknown option refused              |2| unknown option '"'"'--frob'"'"'        | "$cli" decode --frob in.txt
info: unknown option refused                |2| unknown option '"'"'-z'"'"'            | "$cli" info -z in.txt
convert: unknown option refused             |2| unknown option '"'"'--frob'"'"'        | "$cli" convert --encoding 65001 --line-style 0 --frob in.txt out.txt
match: -- makes a dash pattern a pattern    |0| -                                      | "$cli" match -- -x dash.txt
decode: -- makes a dash name a file         |1| -weird                                 | "$cli" decode -- -weird
convert: -- before the files                |0| -                                      | "$cli" convert --encoding 65001 --line-style 0 -- in.txt out-dd.txt
match: --pattern-file                       |0| -                                      | "$cli" match --pattern-file pattern.txt in.txt
match: --pattern-file that is missing       |2| --pattern-file nowhere.txt             | "$cli" match --pattern-file nowhere.txt in.txt
match: empty pattern says why               |2| the pattern is empty                   | "$cli" match "" in.txt
match: empty pattern file says why          |2| the pattern is empty                   | "$cli" match --pattern-file empty-pattern.txt in.txt
match: no pattern                           |2| no PATTERN                             | "$cli" match
match: two files                            |2| more than one FILE                     | "$cli" match a in.txt in.txt
match: bad pattern named                    |2| the pattern '"'"'a('"'"' does not compile | "$cli" match "a(" in.txt
decode: no file                             |2| no FILE given                          | "$cli" decode
convert: missing options named              |2| missing --encoding --line-style         | "$cli" convert in.txt out.txt
convert: unknown code page named            |2| --encoding 99999: no converter         | "$cli" convert --encoding 99999 --line-style 0 in.txt out.txt
convert: bad number named                   |2| --line-style needs a number from 0 to 2 (got '"'"'x'"'"') | "$cli" convert --encoding 65001 --line-style x in.txt out.txt
info: --acp 1200 refused                    |2| --acp 1200: UTF-16 cannot be the ANSI   | "$cli" info --acp 1200 in.txt
info: --acp 1201 refused                    |2| --acp 1201: UTF-16 cannot be the ANSI   | "$cli" info --acp 1201 in.txt
info: --acp unknown refused                 |2| --acp 4242: no converter               | "$cli" info --acp 4242 in.txt
info: KASTRELL_ACP=1200 refused             |2| KASTRELL_ACP=1200: UTF-16              | KASTRELL_ACP=1200 "$cli" info in.txt
match: KASTRELL_ACP=4242 refused            |2| KASTRELL_ACP=4242: no converter        | KASTRELL_ACP=4242 "$cli" match a in.txt
convert: KASTRELL_ACP=utf8 refused          |2| KASTRELL_ACP=utf8: not a code page     | KASTRELL_ACP=utf8 "$cli" convert --encoding 65001 --line-style 0 in.txt out.txt
convert: undecodable bytes fail             |1| bad.txt cannot be decoded without loss  | "$cli" convert --acp 20127 --encoding 65001 --line-style 0 bad.txt out-bad.txt
convert: odd UTF-16 fails                   |1| odd16.txt cannot be decoded without loss | "$cli" convert --encoding 65001 --line-style 0 odd16.txt out-odd.txt
convert: odd UTF-16 with --lossy            |0| -                                      | "$cli" convert --lossy --encoding 65001 --line-style 0 odd16.txt out-odd-lossy.txt
convert: unmappable characters fail         |1| code page 1252 cannot represent        | "$cli" convert --encoding 1252 --line-style 0 cjk.txt out-cjk.txt
convert: unmappable with --lossy            |0| -                                      | "$cli" convert --lossy --encoding 1252 --line-style 0 cjk.txt out-cjk-lossy.txt
info: output to a full disk fails           |1| cannot write the output: No space left | "$cli" info in.txt >/dev/full
info: closed output fails                   |1| cannot write the output: Bad file      | "$cli" info in.txt >&-
match: output to a full disk fails          |2| cannot write the output: No space left | "$cli" match a in.txt >/dev/full
decode: output to a full disk fails         |1| cannot write the output: No space left | "$cli" decode in.txt >/dev/full
info: a chooser giving the failing page twice ends |1| -                               | timeout 20 "$cli" info --acp 1253 --invalid 20127 bad.txt
match: one budget for all matches           |2| 21980-text                             | timeout 60 "$cli" match "a*b|a" long-a.txt
'
python3 -c "print('a' * 1000000)" > long-a.txt
too_complex="$("$cli" match --help >/dev/null; printf '该正则表达式过于复杂')"
while IFS='|' read -r name want text command; do
  name="$(echo "$name" | sed 's/ *$//')"
  [ -n "$name" ] || continue
  text="$(echo "$text" | sed 's/^ *//; s/ *$//')"
  [ "$text" = 21980-text ] && text="$too_complex"
  eval "$command" >/dev/null 2>"$dir/err" </dev/null
  rc=$?
  if [ "$rc" != "$want" ]; then
    flunk "$name" "exit $rc, expected $want" "stderr: $(head -c 400 "$dir/err")"
  elif [ "$text" != - ] && ! grep -qF -- "$text" "$dir/err"; then
    flunk "$name" "stderr lacks: $text" "stderr: $(head -c 400 "$dir/err")"
  else
    pass "$name"
  fi
done <<<"$cases"

# What the lossy conversions wrote, and what the failing ones did not.
[ -e out-bad.txt ] || [ -e out-odd.txt ] || [ -e out-cjk.txt ] && flunk "failed conversions wrote nothing" "$(ls)"
[ "$(od -An -tx1 out-odd-lossy.txt | tr -d ' ')" = 61 ] && pass "odd UTF-16 with --lossy: the odd byte is dropped" ||
  flunk "odd UTF-16 with --lossy: the odd byte is dropped" "$(od -An -tx1 out-odd-lossy.txt)"
[ "$(cat out-cjk-lossy.txt)" = 'a?b' ] && pass "unmappable with --lossy: '?'" || flunk "unmappable with --lossy: '?'" "$(cat out-cjk-lossy.txt)"

# Files whose size says 0 are read to their end, and a convert of one is not empty.
"$cli" convert --encoding 65001 --line-style 0 /proc/self/status status.txt 2>/dev/null
grep -q '^Name:' status.txt && pass "a /proc file (size 0) is read to its end" ||
  flunk "a /proc file (size 0) is read to its end" "$(head -c 200 status.txt)"

# --help of every command, and the main --help names every option they have.
main_help="$("$cli" --help)"
for c in decode info match convert; do
  h="$("$cli" "$c" --help)" && [ -n "$h" ] && pass "$c --help" || flunk "$c --help" "$h"
  for opt in $(printf '%s\n' "$h" | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    printf '%s' "$main_help" | grep -q -- "$opt" || flunk "main --help lists $opt of $c"
  done
done

exit $fail
