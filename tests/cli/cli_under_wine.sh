#!/usr/bin/env bash
# veilquill-cli.exe under Wine: the Windows side of the platform (records beside the program,
# ReplaceFileA through a link, a hard link written in place, a record deleted through its
# handle, a new output file that is never put over another, the strong format's DLLs loaded
# from the program's own folder only when a strong file needs them, standard input and standard
# output in binary) on real files.
# Usage (inside tools/with_wine.sh): cli_under_wine.sh PATH/TO/veilquill-cli.exe
set -uo pipefail
source "$(dirname "$0")/wine_cli_checks.sh" "$1" vq-cli-wine Program
mkdir -p sub
# The literal cipher with the trailer, as hexadecimal.
encrypted_hex() {
    python3 - "$1" "$2" <<'PY'
import sys
key, data = sys.argv[1].encode(), bytearray(sys.argv[2].encode())
for k in key:
    t = k
    for i in range(len(data)):
        t = (t + 1) % 256
        data[i] = ((data[i] ^ t) + 10) % 256
print((bytes(data) + b"\xde\xad").hex())
PY
}
hex() { od -An -tx1 -v "$1" | tr -d ' \n'; }

printf 'secret\r\n' >key
printf 'through a link' >real.txt
ln -s real.txt link.txt
printf 'two names' >shared.txt
ln shared.txt other.txt

cli encrypt --key-file key link.txt other.txt
expect_rc 0 "encrypt through links"
[ -L link.txt ] || fail "the symbolic link was replaced"
[ "$(hex real.txt)" = "$(encrypted_hex secret 'through a link')" ] || fail "real.txt bytes"
[ "$(hex shared.txt)" = "$(encrypted_hex secret 'two names')" ] || fail "hard link not written in place"
[ "$(ls ../Program/Data)" = "$(printf '0.dat\n1.dat')" ] || fail "records beside the program: $(ls ../Program/Data)"
[ "$(cat ../Program/Data/0.dat)" = "00000550" ] || fail "record 0 holds $(cat ../Program/Data/0.dat)"

printf 'wrong\n' >wrong
cli decrypt --key-file wrong real.txt
expect_rc 1 "decrypt with a wrong key"
grep -q 'the key does not match any record; file left as it was' err || fail "wrong-key message: $(cat err)"
[ "$(hex real.txt)" = "$(encrypted_hex secret 'through a link')" ] || fail "wrong key changed the file"

cli decrypt --key-file key -o copy.txt real.txt
expect_rc 0 "decrypt to a new file"
[ "$(cat copy.txt)" = "through a link" ] || fail "copy.txt holds $(cat copy.txt)"
cli decrypt --key-file key -o copy.txt shared.txt
expect_rc 1 "decrypt over an existing file"
[ "$(cat copy.txt)" = "through a link" ] || fail "copy.txt was overwritten"

mv real.txt sub/real.txt && ln -sf sub/real.txt link.txt
cli find .
expect_rc 0 "find"
# A link to a file is tested like the file.
[ "$(sort out | tr -d '\r')" = "$(printf '.\\link.txt\n.\\other.txt\n.\\shared.txt\n.\\sub\\real.txt')" ] ||
    fail "find listed $(cat out)"
grep -q 'Found 4 encrypted file(s)' err || fail "find counts: $(cat err)"

cli decrypt --key-file key link.txt shared.txt
expect_rc 0 "decrypt"
[ "$(cat sub/real.txt)" = "through a link" ] || fail "sub/real.txt holds $(cat sub/real.txt)"
[ "$(cat other.txt)" = "two names" ] || fail "other.txt holds $(cat other.txt)"
[ -z "$(ls ../Program/Data)" ] || fail "records left: $(ls ../Program/Data)"
leftovers=$(find . ../Program -name 'vq~*')
[ -z "$leftovers" ] || fail "temporary files left: $leftovers"

# The strong format without its DLLs: the original format above worked, a strong encryption or
# decryption names the missing file; with them beside the program it needs no record.
printf 'strong text' >strong.txt
cli encrypt --strong --key-file key strong.txt
expect_rc 1 "encrypt --strong without the DLLs"
grep -q 'the strong format needs libgcrypt: .*libgcrypt-20.dll is missing; file left as it was' err ||
    fail "missing-DLL message: $(cat err)"
[ "$(cat strong.txt)" = "strong text" ] || fail "encrypt --strong without the DLLs changed the file"
cp "$(dirname "$exe")/libgcrypt-20.dll" "$(dirname "$exe")/libgpg-error-0.dll" ../Program/
cli encrypt --strong --key-file key strong.txt
expect_rc 0 "encrypt --strong"
cli status strong.txt
[ "$(tr -d '\r' <out)" = "strong.txt: encrypted (strong), 121 bytes" ] || fail "strong status: $(cat out)"
encrypted=$(hex strong.txt)
rm ../Program/libgpg-error-0.dll
cli decrypt --key-file key strong.txt
expect_rc 1 "decrypt a strong file without libgpg-error-0.dll"
grep -q 'libgpg-error-0.dll is missing; file left as it was' err || fail "missing-DLL message: $(cat err)"
[ "$(hex strong.txt)" = "$encrypted" ] || fail "decrypt without the DLL changed the file"
cp "$(dirname "$exe")/libgpg-error-0.dll" ../Program/
cli decrypt --key-file key strong.txt
expect_rc 0 "decrypt a strong file"
[ "$(cat strong.txt)" = "strong text" ] || fail "strong.txt holds $(cat strong.txt)"
[ -z "$(ls ../Program/Data)" ] || fail "a strong file left records: $(ls ../Program/Data)"

# The pipes: standard output and standard input carry the bytes exactly (a CR LF, a lone LF, a
# zero, 0x1A and 0xFF kept), into a pipe and into a file; no scratch file is left in %TEMP%; a
# reader that goes after ten bytes ends the command quietly.
printf 'one\r\ntwo\nthree\0\032\377 end' >binary.txt
cli encrypt --key-file key -o binary.vq binary.txt
expect_rc 0 "encrypt -o OUT"
"$wine" ../Program/veilquill-cli.exe decrypt --key-file key -o - binary.vq 2>err </dev/null |
    cat >piped.bin
rc=${PIPESTATUS[0]}
expect_rc 0 "decrypt -o - into a pipe"
cmp -s piped.bin binary.txt || fail "decrypt -o - into a pipe gave $(hex piped.bin)"
"$wine" ../Program/veilquill-cli.exe decrypt --key-file key -o - - <binary.vq >stdin.bin 2>err
rc=$?
expect_rc 0 "decrypt -o - -"
cmp -s stdin.bin binary.txt || fail "decrypt -o - - gave $(hex stdin.bin)"
cat binary.txt | "$wine" ../Program/veilquill-cli.exe encrypt --key-file key -o - - >again.vq 2>err
rc=$?
expect_rc 0 "encrypt -o - - from a pipe"
cmp -s again.vq binary.vq || fail "encrypt -o - - gave $(hex again.vq)"
head -c 3000000 /dev/urandom >large.txt
cli encrypt --strong --key-file key -o large.vq large.txt
"$wine" ../Program/veilquill-cli.exe decrypt --key-file key -o - large.vq 2>err </dev/null |
    head -c 10 >ten.bin
rc=${PIPESTATUS[0]}
expect_rc 1 "decrypt -o - into a pipe closed after ten bytes"
[ ! -s err ] || fail "a closed pipe was told: $(cat err)"
cmp -s ten.bin <(head -c 10 large.txt) || fail "the first ten bytes: $(hex ten.bin)"
scratch=$(find "$WINEPREFIX/drive_c/users" -name 'vq-scratch~*' 2>/dev/null)
[ -z "$scratch" ] || fail "scratch files left: $scratch"

finish_checks "veilquill-cli.exe under Wine: all checks passed"
