#!/usr/bin/env bash
# kastrell-cli convert: byte-exact round trips in every encoding and line
# style, conversions compared with iconv and dos2unix/unix2dos, failures that
# must leave the target alone, and what a save does to links and modes.
set -u
cli="$(realpath "$1")"  # the checks below change directory
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
fail=0
pass() { echo "ok   $1"; }
flunk() { echo "FAIL $1"; shift; for l in "$@"; do echo "  $l"; done; fail=1; }
check() {  # name expected actual
  if [ "$2" != "$3" ]; then flunk "$1" "expected: $2" "actual:   $3"; else pass "$1"; fi
}
same_file() {  # name expected-file actual-file
  if cmp -s "$2" "$3"; then
    pass "$1"
  else
    flunk "$1" "$(cmp "$2" "$3" 2>&1 | head -1)" \
      "expected: $(head -c 48 "$2" | od -An -tx1 | tr -s ' \n' ' ')" \
      "actual:   $(head -c 48 "$3" 2>/dev/null | od -An -tx1 | tr -s ' \n' ' ')"
  fi
}
json() {  # field json: the raw value of one field
  printf '%s' "$2" | grep -o "\"$1\":[^,}]*" | cut -d: -f2
}
for tool in iconv dos2unix unix2dos mac2unix unix2mac perl; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

# --- Source texts (UTF-8, LF, one final newline) --------------------------
gnupg=/usr/share/gnupg
excerpt() {  # lang: the first 30 lines of a translated help file
  if [ -r "$gnupg/help.$1.txt" ]; then head -n 30 "$gnupg/help.$1.txt"; else printf '%s\n' "$2"; fi
}
mkdir "$dir/src"
excerpt ja 'テキストエディタで日本語を書きます。' > "$dir/src/ja"
excerpt zh_CN '这是一个简体中文的句子。' > "$dir/src/zh_CN"
excerpt zh_TW '這是一個繁體中文的句子。' > "$dir/src/zh_TW"
excerpt ru 'Это предложение на русском языке.' > "$dir/src/ru"
excerpt de 'Größe und Übersicht für Änderungen.' > "$dir/src/de"
printf 'Grüße aus Köln: café, naïve – 50 € „fertig“\nzweite Zeile\n\n' > "$dir/src/latin"
printf '오늘은 날씨가 정말 좋네요.\n한국어 문장을 저장합니다.\n' > "$dir/src/ko"
# Everything at once, for the Unicode encodings, including a character
# outside the Basic Multilingual Plane (a surrogate pair in UTF-16).
cat "$dir/src/latin" "$dir/src/ko" > "$dir/src/mixed"
printf '中文 日本語 русский 𝄞 end\n' >> "$dir/src/mixed"
# Without a 4-byte sequence: such a file is only recognised as UTF-8 by its signature.
grep -v '𝄞' "$dir/src/mixed" > "$dir/src/mixed_bmp"

# encode SRC CHARSET PREFIX > file: the text in a charset, after an optional BOM
encode() { printf "$3"; iconv -f UTF-8 -t "$2" "$1"; }
# restyle STYLE [final]: LF text on stdin in line style 0/1/2; "nofinal"
# drops the final newline first
restyle() {
  local s; s="$(cat; echo x)"; s="${s%x}"
  [ "$2" = nofinal ] && s="${s%$'\n'}"
  case "$1" in
    0) printf '%s' "$s" ;;
    1) printf '%s' "$s" | perl -pe 's/\n/\r\n/g' ;;
    2) printf '%s' "$s" | tr '\n' '\r' ;;
  esac
}

# --- a. Round trips: load, save in what info reports, compare bytes --------
# name | source text | iconv charset | BOM bytes | --acp | detected encoding
fixtures='
utf8        mixed_bmp UTF-8    -             1252 65001
utf8-sig    mixed     UTF-8    \xef\xbb\xbf  1252 65001
utf16le     mixed     UTF-16LE \xff\xfe      1252 1200
utf16be     mixed     UTF-16BE \xfe\xff      1252 1201
cp1252      latin     CP1252   -             1252 1252
cp1252-de   de        CP1252   -             1252 1252
cp936       zh_CN     CP936    -             936  936
cp932       ja        CP932    -             932  932
cp949       ko        CP949    -             949  949
cp950       zh_TW     CP950    -             950  950
cp1251      ru        CP1251   -             1251 1251
'
mkdir "$dir/rt"
roundtrip() {  # name file acp expected-encoding
  local name="$1" in="$2" acp="$3" info enc style sig bom=() out="$dir/rt/out"
  info="$("$cli" info --acp "$acp" "$in" 2>&1)"
  enc="$(json encoding "$info")"; style="$(json lineStyle "$info")"; sig="$(json signature "$info")"
  if [ -z "$enc" ] || [ -z "$style" ]; then flunk "round trip $name" "info: $info"; return; fi
  # Through a wrong code page many texts would still come back unchanged.
  if [ "$enc" != "$4" ]; then flunk "round trip $name: not detected as $4" "info: $info"; return; fi
  if [ "$sig" = true ]; then bom=(--bom 1); elif [ "$enc" = 65001 ]; then bom=(--bom 0); fi
  rm -f "$out"
  if ! "$cli" convert --encoding "$enc" --line-style "$style" "${bom[@]}" --acp "$acp" "$in" "$out" 2>"$dir/rt/err"; then
    flunk "round trip $name" "convert failed: $(cat "$dir/rt/err")" "info: $info"
    return
  fi
  same_file "round trip $name (encoding $enc, style $style)" "$in" "$out"
}
while read -r name text charset prefix acp want; do
  [ -n "$name" ] || continue
  [ "$prefix" = - ] && prefix=''
  for style in 0 1 2; do
    for final in final nofinal; do
      f="$dir/rt/$name-$style-$final"
      restyle "$style" "$final" < "$dir/src/$text" > "$f.u8"
      encode "$f.u8" "$charset" "$prefix" > "$f"
      roundtrip "$name style $style $final" "$f" "$acp" "$want"
    done
  done
  # A single line without any break takes the "PC format" style; nothing is added.
  head -n 1 "$dir/src/$text" | restyle 0 nofinal > "$dir/rt/$name-one.u8"
  encode "$dir/rt/$name-one.u8" "$charset" "$prefix" > "$dir/rt/$name-one"
  roundtrip "$name one line, no break" "$dir/rt/$name-one" "$acp" "$want"
  # The signature alone: an empty text that keeps its signature.
  if [ -n "$prefix" ]; then
    printf "$prefix" > "$dir/rt/$name-empty"
    roundtrip "$name signature only" "$dir/rt/$name-empty" "$acp" "$want"
  fi
done <<<"$fixtures"
: > "$dir/rt/empty"
for acp in 1252 936; do roundtrip "empty file, acp $acp" "$dir/rt/empty" "$acp" "$acp"; done

# --- b. Against the reference tools -------------------------------------
mkdir "$dir/ref"
cat "$dir/src/mixed_bmp" "$dir/src/ru" > "$dir/ref/multi"  # every text below encodes to UTF-8
# target code page | iconv charset | BOM | source text
targets='
936   CP936    -             zh_CN
932   CP932    -             ja
949   CP949    -             ko
950   CP950    -             zh_TW
1251  CP1251   -             ru
1252  CP1252   -             latin
1200  UTF-16LE \xff\xfe      multi
1201  UTF-16BE \xfe\xff      multi
65001 UTF-8    \xef\xbb\xbf  multi
'
ref_src() { if [ "$1" = multi ]; then echo "$dir/ref/multi"; else echo "$dir/src/$1"; fi; }
while read -r cp charset prefix text; do
  [ -n "$cp" ] || continue
  [ "$prefix" = - ] && prefix=''
  src="$(ref_src "$text")"
  for final in final nofinal; do
    restyle 0 "$final" < "$src" > "$dir/ref/in"
    encode "$dir/ref/in" "$charset" "$prefix" > "$dir/ref/want"
    bom=(); [ "$cp" = 65001 ] && bom=(--bom 1)
    rm -f "$dir/ref/out"
    if "$cli" convert --encoding "$cp" --line-style 0 "${bom[@]}" --acp 1252 "$dir/ref/in" "$dir/ref/out" 2>"$dir/ref/err"; then
      same_file "UTF-8 $text $final to $cp equals iconv -t $charset" "$dir/ref/want" "$dir/ref/out"
    else
      flunk "UTF-8 $text $final to $cp equals iconv -t $charset" "convert failed: $(cat "$dir/ref/err")"
    fi
  done
done <<<"$targets"

# Line styles against dos2unix and friends. -b keeps a BOM (dos2unix would
# strip it), -u keeps UTF-16 as UTF-16, and none of them adds or removes a
# final line break. convert without --bom keeps what the input had.
# name | charset | BOM | source text | --acp
styles='
utf8      UTF-8    -             mixed_bmp 1252
utf8-sig  UTF-8    \xef\xbb\xbf  mixed     1252
utf16le   UTF-16LE \xff\xfe      mixed     1252
utf16be   UTF-16BE \xfe\xff      mixed     1252
cp936     CP936    -             zh_CN     936
cp1251    CP1251   -             ru        1251
'
# from style | to style | reference command
moves='
1 0 dos2unix
0 1 unix2dos
0 2 unix2mac
2 0 mac2unix
'
while read -r name charset prefix text acp; do
  [ -n "$name" ] || continue
  [ "$prefix" = - ] && prefix=''
  enc=$(case "$charset" in UTF-8) echo 65001 ;; UTF-16LE) echo 1200 ;; UTF-16BE) echo 1201 ;; *) echo "$acp" ;; esac)
  while read -r from to tool; do
    [ -n "$from" ] || continue
    for final in final nofinal; do
      restyle "$from" "$final" < "$dir/src/$text" > "$dir/ref/in.u8"
      encode "$dir/ref/in.u8" "$charset" "$prefix" > "$dir/ref/in"
      rm -f "$dir/ref/want" "$dir/ref/out"
      "$tool" -q -b -u -n "$dir/ref/in" "$dir/ref/want" 2>/dev/null
      label="$name $final: style $from to $to equals $tool"
      if "$cli" convert --encoding "$enc" --line-style "$to" --acp "$acp" "$dir/ref/in" "$dir/ref/out" 2>"$dir/ref/err"; then
        same_file "$label" "$dir/ref/want" "$dir/ref/out"
      else
        flunk "$label" "convert failed: $(cat "$dir/ref/err")"
      fi
    done
  done <<<"$moves"
done <<<"$styles"

# Mixed breaks. Without repair a line keeps the CR that is not part of its
# separator; dos2unix leaves a lone CR alone too. Repaired, every break is
# CR LF, which is what unix2dos makes of the same text.
printf 'a\rb\r\nc\r\n' > "$dir/ref/in"
"$cli" convert --encoding 1252 --line-style 0 --acp 1252 "$dir/ref/in" "$dir/ref/out" 2>/dev/null
dos2unix -q -n "$dir/ref/in" "$dir/ref/want"
same_file "mixed PC text with a lone CR to LF equals dos2unix" "$dir/ref/want" "$dir/ref/out"
printf 'a\nb\r\nc\nd\n' > "$dir/ref/in"
"$cli" convert --encoding 1252 --line-style 1 --acp 1252 "$dir/ref/in" "$dir/ref/out" 2>/dev/null
check "mixed UNIX text to CR LF without repair keeps the stray CR" "$(printf 'a\r\nb\r\r\nc\r\nd\r\n' | od -An -tx1)" \
  "$(od -An -tx1 "$dir/ref/out")"
"$cli" convert --encoding 1252 --line-style 1 --acp 1252 --check-crlf --repair "$dir/ref/in" "$dir/ref/out" 2>/dev/null
unix2dos -q -n "$dir/ref/in" "$dir/ref/want"
same_file "mixed UNIX text repaired to CR LF equals unix2dos" "$dir/ref/want" "$dir/ref/out"
# Code page 0 is the ANSI code page.
"$cli" convert --encoding 0 --line-style 0 --acp 936 "$dir/src/zh_CN" "$dir/ref/out" 2>/dev/null
iconv -f UTF-8 -t CP936 "$dir/src/zh_CN" > "$dir/ref/want"
same_file "encoding 0 with --acp 936 equals iconv -t CP936" "$dir/ref/want" "$dir/ref/out"

# --- c. Failures leave the target alone --------------------------------
mkdir "$dir/fail"
cd "$dir/fail" || exit 1
printf 'a中b\n' > in.txt
leftovers() { find . -mindepth 1 ! -name in.txt ! -name out.txt ! -name keep | sort | tr '\n' ' '; }
"$cli" convert --encoding 1252 --line-style 0 in.txt out.txt 2>/dev/null
check "unmappable character: exit 1" 1 "$?"
check "unmappable character: OUT not created, no temporary left" "" "$(ls -A | grep -v '^in.txt$' | tr '\n' ' ')"
printf 'old contents\r\n' > out.txt
cp out.txt keep
"$cli" convert --encoding 1252 --line-style 0 in.txt out.txt 2>/dev/null
check "unmappable character over an existing OUT: exit 1" 1 "$?"
same_file "unmappable character: existing OUT unchanged" keep out.txt
check "unmappable character: no temporary left" "" "$(leftovers)"
"$cli" convert --encoding 1252 --line-style 1 --lossy in.txt out.txt 2>/dev/null
check "--lossy: exit 0" 0 "$?"
check "--lossy: the character becomes '?'" "$(printf 'a?b\r\n' | od -An -tx1)" "$(od -An -tx1 out.txt)"
printf 'x 𝄞 y\n' > astral.txt  # recognised as UTF-8 through --from, not by detection
"$cli" convert --encoding 936 --line-style 0 --lossy --from 65001 astral.txt out.txt 2>/dev/null
check "--lossy: a character outside the BMP becomes one '?'" "$(printf 'x ? y\n' | od -An -tx1)" "$(od -An -tx1 out.txt)"
rm -f astral.txt
mkdir outdir
"$cli" convert --encoding 65001 --line-style 0 in.txt outdir 2>/dev/null
check "OUT is a directory: exit 1" 1 "$?"
check "OUT is a directory: it stays an empty directory" "dir:" "$([ -d outdir ] && echo dir):$(ls -A outdir)"
rmdir outdir
mkfifo fifo
timeout 10 "$cli" convert --encoding 65001 --line-style 0 in.txt fifo 2>/dev/null
check "OUT is a FIFO: exit 1, without blocking" 1 "$?"
check "OUT is a FIFO: it stays a FIFO" fifo "$([ -p fifo ] && echo fifo)"
rm -f fifo
rm -f out.txt
"$cli" convert --encoding 65001 --line-style 0 missing.txt out.txt 2>/dev/null
check "IN missing: exit 1" 1 "$?"
check "IN missing: OUT not created" no "$([ -e out.txt ] && echo yes || echo no)"
"$cli" convert --encoding 65001 --line-style 0 in.txt nodir/out.txt 2>/dev/null
check "OUT in a missing directory: exit 1" 1 "$?"
cd / || exit 1

# --- d. Links and modes -------------------------------------------------
mkdir "$dir/link" "$dir/link/real"
cd "$dir/link" || exit 1
printf 'x\ny\n' > in.txt
printf 'old\n' > real/target.txt
ln -s real/target.txt link.txt
"$cli" convert --encoding 65001 --line-style 1 in.txt link.txt 2>/dev/null
check "symlink OUT: exit 0" 0 "$?"
check "symlink OUT: still a link to the same name" "real/target.txt" "$([ -L link.txt ] && readlink link.txt)"
check "symlink OUT: the file it points to has the new text" "$(printf 'x\r\ny\r\n' | od -An -tx1)" "$(od -An -tx1 real/target.txt)"
check "symlink OUT: nothing else appears beside the link or the target" "in.txt link.txt real real/target.txt" \
  "$(find . -mindepth 1 | sed 's|^\./||' | sort | tr '\n' ' ' | sed 's/ $//')"
ln -s nowhere.txt dangling.txt
"$cli" convert --encoding 65001 --line-style 0 in.txt dangling.txt 2>/dev/null
check "dangling symlink OUT: the file it names is created and the link stays" "nowhere.txt:x y" \
  "$([ -L dangling.txt ] && readlink dangling.txt):$(tr '\n' ' ' < nowhere.txt | sed 's/ $//')"
rm -f dangling.txt nowhere.txt
cp in.txt self.txt
"$cli" convert --encoding 1201 --line-style 2 self.txt self.txt 2>/dev/null
check "IN and OUT the same file" "$(printf '\xfe\xff\0x\0\r\0y\0\r' | od -An -tx1)" "$(od -An -tx1 self.txt)"
rm -f self.txt
printf 'old\n' > mode.txt
chmod 0640 mode.txt
"$cli" convert --encoding 65001 --line-style 0 in.txt mode.txt 2>/dev/null
check "mode 0640 kept: exit 0" 0 "$?"
check "mode 0640 kept" 640 "$(stat -c %a mode.txt)"
check "mode 0640 kept: new text" "$(printf 'x\ny\n' | od -An -tx1)" "$(od -An -tx1 mode.txt)"
chmod 0755 mode.txt
"$cli" convert --encoding 65001 --line-style 0 in.txt mode.txt 2>/dev/null
check "mode 0755 kept" 755 "$(stat -c %a mode.txt)"
(umask 027 && "$cli" convert --encoding 65001 --line-style 0 in.txt new.txt 2>/dev/null)
check "a new OUT follows the umask" 640 "$(stat -c %a new.txt 2>/dev/null)"
cd / || exit 1

exit $fail
