#!/usr/bin/env bash
# veilquill-cli against cp on the same 1 GiB file on the same disk, in one run: the time of
# an encryption and a decryption in place next to a plain copy (and a copy flushed to disk,
# since the program flushes what it writes), and the peak resident memory of each, as GNU
# time reports it; then the same encryption in the strong format (encrypt --strong) and its
# decryption, against the original format's times of the same run; then, in both formats, a
# decryption into standard output (decrypt -o - FILE > /dev/null) and one from standard input
# (cat FILE | decrypt -o - - > /dev/null, its scratch file in FOLDER) against a decryption of
# the same file into a new file (decrypt -o OUT FILE). Prints the figures and the ratios; the
# median of three runs of each.
#
#   bench/run_cli_bench.sh [BUILD_DIR] [FOLDER]
#
# BUILD_DIR holds cli/veilquill-cli (default build/native); FOLDER is where the file goes
# (default a fresh folder under build/). Not part of the test run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
cli=$build/cli/veilquill-cli
[ -x "$cli" ] || { echo "no $cli: run tools/build.sh native first" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs GNU time (Debian package time)" >&2; exit 1; }
work=$(mktemp -d "${2:-$root/build}/vq-cli-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

size_mib=1024
runs=3
echo "Making a ${size_mib} MiB file in $work ..."
head -c $((size_mib * 1024 * 1024)) /dev/urandom >file.bin
printf 'a bench key\n' >key
cp file.bin warm.bin && rm warm.bin # the same page cache for everyone

# Runs a command under GNU time; prints "seconds kib".
measure() {
    /usr/bin/time -f '%e %M' -o timing "$@" >/dev/null
    cat timing
}
median() { sort -n | sed -n "$(((runs + 1) / 2))p"; }

declare -A seconds kib
record() { # name, then the command
    local name=$1
    shift
    local results=()
    for ((i = 0; i < runs; i++)); do
        case $name in
        *_stdin) results+=("$(cat file.bin | measure "$@")") ;;
        *) results+=("$(measure "$@")") ;;
        esac
        # Puts the file back as the next run needs it.
        case $name in
        encrypt | strong_encrypt) "$cli" decrypt --key-file key --data Data -q file.bin ;;
        decrypt) "$cli" encrypt --key-file key --data Data -q file.bin ;;
        strong_decrypt) "$cli" encrypt --strong --key-file key --data Data -q file.bin ;;
        esac
        rm -f copy.bin
    done
    seconds[$name]=$(printf '%s\n' "${results[@]}" | cut -d' ' -f1 | median)
    kib[$name]=$(printf '%s\n' "${results[@]}" | cut -d' ' -f2 | sort -n | tail -n 1)
}

record cp cp file.bin copy.bin
record cp_sync sh -c 'cp file.bin copy.bin && sync copy.bin'
record encrypt "$cli" encrypt --key-file key --data Data -q file.bin
"$cli" encrypt --key-file key --data Data -q file.bin
record decrypt "$cli" decrypt --key-file key --data Data -q file.bin
"$cli" decrypt --key-file key --data Data -q file.bin
record strong_encrypt "$cli" encrypt --strong --key-file key --data Data -q file.bin
"$cli" encrypt --strong --key-file key --data Data -q file.bin
record strong_decrypt "$cli" decrypt --key-file key --data Data -q file.bin

# The pipes, in each format (the file is in the strong format now): the file stays
# encrypted, and each run's output goes.
export TMPDIR=$work # standard input's scratch file on the same disk as the file
for format in strong original; do
    if [ $format = original ]; then
        "$cli" decrypt --key-file key --data Data -q file.bin
        "$cli" encrypt --key-file key --data Data -q file.bin
    fi
    record ${format}_new_file "$cli" decrypt --key-file key --data Data -q -o copy.bin file.bin
    record ${format}_stdout "$cli" decrypt --key-file key --data Data -q -o - file.bin
    record ${format}_stdin "$cli" decrypt --key-file key --data Data -q -o - -
done

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
# The larger peak of two rows, in MiB.
peak_mib() { awk -v a="${kib[$1]}" -v b="${kib[$2]}" 'BEGIN { m = a > b ? a : b; printf "%.1f", m / 1024 }'; }
table() { # the names of the rows
    echo
    printf '%-34s %9s %14s\n' "${size_mib} MiB, median of $runs" "seconds" "peak RSS (MiB)"
    local name label
    for name in "$@"; do
        case $name in
        cp) label="cp" ;;
        cp_sync) label="cp, then sync of the copy" ;;
        encrypt) label="veilquill-cli encrypt" ;;
        decrypt) label="veilquill-cli decrypt" ;;
        strong_encrypt) label="veilquill-cli encrypt --strong" ;;
        strong_decrypt) label="veilquill-cli decrypt, strong" ;;
        *_new_file) label="decrypt -o OUT FILE, ${name%%_*}" ;;
        *_stdout) label="decrypt -o - FILE, ${name%%_*}" ;;
        *_stdin) label="cat FILE | decrypt -o - -, ${name%%_*}" ;;
        esac
        printf '%-34s %9s %14s\n' "$label" "${seconds[$name]}" "$(awk -v k="${kib[$name]}" 'BEGIN { printf "%.1f", k / 1024 }')"
    done
    echo
}

table cp cp_sync encrypt decrypt
echo "encrypt / cp:            $(ratio "${seconds[encrypt]}" "${seconds[cp]}")   (target: at most 2)"
echo "decrypt / cp:            $(ratio "${seconds[decrypt]}" "${seconds[cp]}")"
echo "encrypt / cp with sync:  $(ratio "${seconds[encrypt]}" "${seconds[cp_sync]}")"
echo "decrypt / cp with sync:  $(ratio "${seconds[decrypt]}" "${seconds[cp_sync]}")"
echo "peak RSS of veilquill-cli: $(peak_mib encrypt decrypt) MiB (target: under 32)"

# The strong format against the original one: its time within 1.15 times the original's plus
# 0.3 s for the key derivation.
table encrypt strong_encrypt decrypt strong_decrypt
for step in encrypt decrypt; do
    limit=$(awk -v a="${seconds[$step]}" 'BEGIN { printf "%.2f", 1.15 * a + 0.3 }')
    verdict=$(awk -v a="${seconds[strong_$step]}" -v b="$limit" 'BEGIN { print (a <= b ? "pass" : "FAIL") }')
    echo "strong $step / $step: $(ratio "${seconds[strong_$step]}" "${seconds[$step]}")   (target: at most 1.15, plus 0.3 s: $limit s, $verdict)"
done
echo "peak RSS of veilquill-cli in the strong format: $(peak_mib strong_encrypt strong_decrypt) MiB (its key derivation takes 64 MiB)"

# A decryption into a pipe against one into a new file: within 1.2 times its time.
table strong_new_file strong_stdout strong_stdin original_new_file original_stdout original_stdin
for format in strong original; do
    for form in stdout stdin; do
        verdict=$(awk -v a="${seconds[${format}_$form]}" -v b="${seconds[${format}_new_file]}" 'BEGIN { print (a <= 1.2 * b ? "pass" : "FAIL") }')
        echo "$format decrypt -o - ($form) / -o OUT: $(ratio "${seconds[${format}_$form]}" "${seconds[${format}_new_file]}")   (target: at most 1.2, $verdict)"
    done
done
echo "peak RSS of veilquill-cli in pipes: original $(peak_mib original_stdout original_stdin) MiB, strong $(peak_mib strong_stdout strong_stdin) MiB (target: under 80)"
