#!/usr/bin/env bash
# kastrell-cli type and syntax: file types with and without setting_u.ini,
# first lines read from files, and the JSON of a parsed syntax file.
set -u
cli="$1"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
export XDG_CONFIG_HOME="$dir/config"
fail=0
check() {  # name expected actual
  if [ "$2" != "$3" ]; then
    echo "FAIL $1"; echo "  expected: $2"; echo "  actual:   $3"; fail=1
  else
    echo "ok   $1"
  fi
}
tab=$'\t'

# No setting_u.ini: the built-in and first-start types.
check "extension" "3${tab}C/C++${tab}/src/a.c" "$("$cli" type /src/a.c)"
check "exact name" "17${tab}CMake${tab}x/CMakeLists.txt" "$("$cli" type x/CMakeLists.txt)"
check "wildcard, directory with a dot" "16${tab}Makefile${tab}a/b.c/Makefile" "$("$cli" type a/b.c/Makefile)"
check "first line option" "14${tab}sh${tab}run" "$("$cli" type --first-line '#!/bin/sh' run)"
printf '#!/bin/bash\r\necho hi\r\n' > "$dir/script"
check "first line from the file" "15${tab}bash${tab}$dir/script" "$("$cli" type "$dir/script")"
printf '\xff\xfe#\0!\0/\0u\0s\0r\0/\0b\0i\0n\0/\0e\0n\0v\0 \0p\0y\0t\0h\0o\0n\x003\0\n\0' > "$dir/tool"
check "first line decoded from UTF-16" "13${tab}Python${tab}$dir/tool" "$("$cli" type "$dir/tool")"
check "description file" "0${tab}默认${tab}x.stx" "$("$cli" type --first-line '#!/bin/sh' x.stx)"
check "several paths" "2" "$("$cli" type a.html b.js | wc -l)"
check "nothing written" "no" "$([ -e "$XDG_CONFIG_HOME/kastrell/setting_u.ini" ] && echo yes || echo no)"

# An existing setting_u.ini gets no first-start types and is left as it is.
mkdir -p "$XDG_CONFIG_HOME/kastrell"
printf '\xff\xfe[\0S\0e\0t\0t\0i\0n\0g\0s\0]\0\r\0\n\0' > "$XDG_CONFIG_HOME/kastrell/setting_u.ini"
before="$(md5sum < "$XDG_CONFIG_HOME/kastrell/setting_u.ini")"
check "existing file: no custom types" "0${tab}默认${tab}m.py" "$("$cli" type m.py)"
check "existing file unchanged" "$before" "$(md5sum < "$XDG_CONFIG_HOME/kastrell/setting_u.ini")"

check "usage without paths" "2" "$("$cli" type >/dev/null 2>&1; echo $?)"

printf '#KEYWORD=Words\r\nif\r\nelse\r\n#LINECOMMENT=^!REM\r\n#QUOTATION1="\r\n#PREFIX2=$\r\n#SPECIAL_STX=cpp\r\n' > "$dir/t.stx"
out="$("$cli" syntax "$dir/t.stx")"
check "syntax groups" '{"groups":[{"name":"Words","keywords":2}],"delimiters":null,"lineComment":["REM",""],"lineCommentAtLineStart":[true,false]' "${out%%,\"commentOn\"*}"
check "syntax quotes and prefixes" '"quotes":["\"",null],"escape":null,"prefix":[null,"$",null' "$(echo "$out" | grep -o '"quotes":\[[^]]*\],"escape":null,"prefix":\[null,"\$",null')"
check "syntax mode" '"specialMode":"cpp"' "$(echo "$out" | grep -o '"specialMode":"cpp"')"
check "syntax of a directory fails" "1" "$("$cli" syntax "$dir" >/dev/null 2>&1; echo $?)"
exit $fail
