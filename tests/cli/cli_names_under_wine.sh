#!/usr/bin/env bash
# veilquill-cli.exe under Wine with names outside any code page and paths past 260 characters:
# Greek, CJK and emoji file names given on the command line, a folder tree of Cyrillic names
# deeper than Windows' old limit, and the program itself in a folder named outside the code
# page, with its records beside it. Messages go to files here, so they are UTF-8.
# Usage (inside tools/with_wine.sh): cli_names_under_wine.sh PATH/TO/veilquill-cli.exe
set -uo pipefail
source "$(dirname "$0")/wine_cli_checks.sh" "$1" vq-cli-names "Программы 命令"

greek='Ελληνικά.txt'
cjk='命令行.txt'
emoji='📝 notes 😀.txt'
deep='Документы'
for _ in $(seq 2 30); do deep="$deep/Документы"; done
mkdir -p "$deep"
long="$deep/Σημειώσεις.txt"
long_windows=$(printf '%s' "$long" | tr '/' '\\')
[ "$(printf '%s' "$work/files/$long" | wc -m)" -gt 300 ] || fail "the long path is too short"

printf 'secret\n' >key
printf 'secret\n' >'ключ 🔑.txt' # a key file with a name outside the code page
printf 'greek' >"$greek"
printf 'cjk' >"$cjk"
printf 'emoji' >"$emoji"
printf 'long' >"$long"

cli status "$greek" "$cjk" "$emoji" "$long_windows"
expect_rc 0 "status"
expected=$(printf '%s: plain, 5 bytes\n%s: plain, 3 bytes\n%s: plain, 5 bytes\n%s: plain, 4 bytes' \
    "$greek" "$cjk" "$emoji" "$long_windows")
[ "$(tr -d '\r' <out)" = "$expected" ] || fail "status said: $(cat out)"

cli status "Ελληνικά-missing.txt"
expect_rc 1 "status of a missing file"
grep -q '^status: Ελληνικά-missing.txt: no such file' err || fail "missing-file message: $(cat err)"

cli encrypt --key-file key "$greek" "$cjk" "$emoji" "$long_windows"
expect_rc 0 "encrypt"
grep -q "^encrypted: $cjk" out || fail "encrypt said: $(cat out)"
[ "$(ls "$program/Data" | wc -l)" = 4 ] || fail "records beside the program: $(ls "$program/Data")"

cli find .
expect_rc 0 "find"
listed=$(tr -d '\r' <out | sort)
wanted=$(printf '.\\%s\n.\\%s\n.\\%s\n.\\%s' "$greek" "$cjk" "$emoji" "$long_windows" | sort)
[ "$listed" = "$wanted" ] || fail "find listed: $(cat out)"
grep -q 'Found 4 encrypted file(s)' err || fail "find counts: $(cat err)"

cli find -0 -q .
[ "$(tr '\0' '\n' <out | grep -c .)" = 4 ] || fail "find -0 listed: $(tr '\0' '|' <out)"

cli decrypt --key-file 'ключ 🔑.txt' "$greek" "$cjk" "$emoji" "$long_windows"
expect_rc 0 "decrypt"
[ "$(cat "$greek")$(cat "$cjk")$(cat "$emoji")$(cat "$long")" = "greekcjkemojilong" ] ||
    fail "decrypted contents"
[ -z "$(ls "$program/Data")" ] || fail "records left: $(ls "$program/Data")"

finish_checks "veilquill-cli.exe under Wine with any names: all checks passed"
