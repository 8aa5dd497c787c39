#!/usr/bin/env bash
# kastrell-cli decode and info on real files: output, JSON and exit codes.
set -u
cli="$1"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
fail=0
check() {  # name expected actual
  if [ "$2" != "$3" ]; then
    echo "FAIL $1"; echo "  expected: $2"; echo "  actual:   $3"; fail=1
  else
    echo "ok   $1"
  fi
}

printf 'abc\r\nd\xc3\xa9f\r\n' > "$dir/u8.txt"
check "info utf-8" '{"encoding":65001,"encodingName":"UTF-8","lineStyle":1,"lineStyleName":"PC","signature":false,"mixed":false,"lines":3,"readOnly":false}' "$("$cli" info "$dir/u8.txt")"
check "decode utf-8" "$(printf 'abc\ndéf\n')" "$("$cli" decode "$dir/u8.txt"; echo)"

printf '\xef\xbb\xbfx\ny' > "$dir/sig.txt"
check "info signature" '{"encoding":65001,"encodingName":"UTF-8","lineStyle":0,"lineStyleName":"UNIX","signature":true,"mixed":false,"lines":2,"readOnly":false}' "$("$cli" info "$dir/sig.txt")"

printf 'a\rb\r\nc\r\n' > "$dir/mixed.txt"
check "info mixed" '{"encoding":1252,"encodingName":"ANSI","lineStyle":1,"lineStyleName":"PC","signature":false,"mixed":true,"lines":3,"readOnly":false}' "$(KASTRELL_ACP=1252 "$cli" info "$dir/mixed.txt")"
check "info repaired" '"lines":4' "$(KASTRELL_ACP=1252 "$cli" info --check-crlf --repair "$dir/mixed.txt" 2>/dev/null | grep -o '"lines":4')"
check "question text on stderr" "1" "$(KASTRELL_ACP=1252 "$cli" info --check-crlf "$dir/mixed.txt" 2>&1 >/dev/null | grep -c 'CR/LF')"

printf '\xd6\xd0\xce\xc4' > "$dir/gbk.txt"
check "decode with --acp 936" "中文" "$("$cli" decode --acp 936 "$dir/gbk.txt")"
check "info with --acp 936" '"encodingName":"ANSI"' "$("$cli" info --acp 936 "$dir/gbk.txt" | grep -o '"encodingName":"ANSI"')"
check "forced --encoding 936 under 1252" "中文" "$(KASTRELL_ACP=1252 "$cli" decode --encoding 936 "$dir/gbk.txt")"
check "info name of a foreign code page" '"encodingName":"cp936"' "$(KASTRELL_ACP=1252 "$cli" info --encoding 936 "$dir/gbk.txt" | grep -o '"encodingName":"cp936"')"

printf 'x\xff' > "$dir/bad.txt"
check "invalid bytes: default answer No decodes with U+FFFD" "x�" "$("$cli" decode --acp 1253 "$dir/bad.txt" 2>/dev/null)"
"$cli" decode --acp 1253 --invalid cancel "$dir/bad.txt" >/dev/null 2>&1
check "invalid bytes: --invalid cancel fails" "1" "$?"
check "invalid bytes: --invalid 1252 picks a code page" "xÿ" "$("$cli" decode --acp 1253 --invalid 1252 "$dir/bad.txt" 2>/dev/null)"

mkfifo "$dir/fifo"
timeout 10 "$cli" info "$dir/fifo" >/dev/null 2>&1
check "a FIFO is refused, not read" "1" "$?"
"$cli" info "$dir/missing" >/dev/null 2>&1
check "a missing file fails" "1" "$?"
"$cli" info --pc-format 7 "$dir/u8.txt" >/dev/null 2>&1
check "a bad option value" "2" "$?"

# Real text: a Japanese translation in Shift-JIS decodes to the original.
src=/usr/share/gnupg/help.ja.txt
if [ -r "$src" ]; then
  iconv -f UTF-8 -t CP932 "$src" > "$dir/ja.txt"
  # Lines joined by LF give back the original, final newline included.
  if "$cli" decode --acp 932 "$dir/ja.txt" | cmp -s - "$src"; then
    echo "ok   real text cp932"
  else
    echo "FAIL real text cp932"; fail=1
  fi
fi
exit $fail
