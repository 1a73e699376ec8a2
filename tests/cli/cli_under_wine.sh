#!/usr/bin/env bash
# veilquill-cli.exe under Wine: the Windows side of the platform (records beside the program,
# ReplaceFileA through a link, a hard link written in place, a record deleted through its
# handle, a new output file that is never put over another) on real files.
# Usage (inside tools/with_wine.sh): cli_under_wine.sh PATH/TO/veilquill-cli.exe
set -uo pipefail
exe=$1
wine=${VQ_WINE:-/usr/lib/wine/wine64}
work=$(mktemp -d /tmp/vq-cli-wine.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Program" "$work/files/sub"
cp "$exe" "$work/Program/veilquill-cli.exe"
cd "$work/files"

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}
# Runs the program with the arguments given; its exit code in $rc, its output in out and err.
cli() {
    "$wine" ../Program/veilquill-cli.exe "$@" >out 2>err </dev/null
    rc=$?
}
expect_rc() { [ "$rc" = "$1" ] || fail "$2: exit $rc, wanted $1 ($(cat err))"; }
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

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "veilquill-cli.exe under Wine: all checks passed"
