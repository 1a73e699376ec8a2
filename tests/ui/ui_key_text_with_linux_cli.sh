#!/usr/bin/env bash
# Keys that go both ways between the window and veilquill-cli on Linux: the Linux program makes
# a strong file ("пароль") and an original-format file ("café", its records in linux-data),
# the window test opens them and leaves its own ("秘密の鍵" strong, "café" original, its
# records in window-data), which the Linux program then decrypts.
#
#   ui_key_text_with_linux_cli.sh LINUX_CLI WINDOW_TEST_PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cli=$1
window_test=$2
if [ ! -x "$cli" ]; then
    echo "skipped: the Linux veilquill-cli is not built at $cli (tools/build.sh native)"
    exit 77
fi
exchange=$(mktemp -d /tmp/vq-key-exchange.XXXXXX)
trap 'rm -rf "$exchange"' EXIT
# The Linux side in English, whatever the tester's language: code page 1252.
linux_cli() { env -u LC_ALL -u LC_CTYPE LANG=C.UTF-8 "$cli" "$@"; }

printf '\xd0\xbf\xd0\xb0\xd1\x80\xd0\xbe\xd0\xbb\xd1\x8c\n' >"$exchange/russian.key"
printf 'caf\xc3\xa9\n' >"$exchange/cafe.key"
printf '\xe7\xa7\x98\xe5\xaf\x86\xe3\x81\xae\xe9\x8d\xb5\n' >"$exchange/japanese.key"
mkdir "$exchange/linux-data"
printf 'made on Linux, strong' >"$exchange/linux-strong.txt"
linux_cli encrypt --strong --quiet --key-file "$exchange/russian.key" \
    --data "$exchange/linux-data" "$exchange/linux-strong.txt"
printf 'made on Linux, original' >"$exchange/linux-original.txt"
linux_cli encrypt --quiet --key-file "$exchange/cafe.key" \
    --data "$exchange/linux-data" "$exchange/linux-original.txt"

VQ_KEY_EXCHANGE="$exchange" "$here/../../tools/wine_exec.sh" "$window_test" \
    --gtest_filter='KeyTextUi.KeysGoBothWaysWithTheLinuxCommandLine'

failed=0
expect() { # FILE KEY TEXT
    if ! linux_cli decrypt --quiet --key-file "$exchange/$2" --data "$exchange/window-data" \
        "$exchange/$1"; then
        echo "FAILED: veilquill-cli on Linux could not decrypt the window's $1"
        failed=1
    elif [ "$(cat "$exchange/$1")" != "$3" ]; then
        echo "FAILED: the window's $1 decrypted on Linux as: $(cat "$exchange/$1")"
        failed=1
    else
        echo "ok: the window's $1 decrypted on Linux"
    fi
}
expect window-strong.txt japanese.key "made in the window, strong"
expect window-original.txt cafe.key "made in the window, original"
exit $failed
