# What the scripts that run veilquill-cli.exe under Wine share, sourced by each: a copy of the
# program in a folder of its own under a fresh work folder, a run of it, and the count of
# failed checks.
#
#   source wine_cli_checks.sh EXE WORK_PREFIX PROGRAM_FOLDER_NAME
#
# sets $work (removed on exit), $program (the folder holding veilquill-cli.exe) and $wine, and
# enters $work/files.
exe=$1
wine=${VQ_WINE:-/usr/lib/wine/wine64}
work=$(mktemp -d "/tmp/$2.XXXXXX")
trap 'rm -rf "$work"' EXIT
program="$work/$3"
mkdir -p "$program" "$work/files"
cp "$exe" "$program/veilquill-cli.exe"
cd "$work/files" || exit 1

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}
# Runs the program with the arguments given; its exit code in $rc, its output in out and err.
cli() {
    "$wine" "$program/veilquill-cli.exe" "$@" >out 2>err </dev/null
    rc=$?
}
expect_rc() { [ "$rc" = "$1" ] || fail "$2: exit $rc, wanted $1 ($(cat err))"; }

# Ends the script: exit 1 with the count of failed checks, else 0 with `$1`.
finish_checks() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "$1"
}
