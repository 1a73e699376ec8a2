#!/usr/bin/env bash
# What veilquill-cli is installed with, checked as a Debian user meets it:
#
#   package_tests.sh deb BUILD_DIR PROGRAM         the .deb: files, fields, Depends, lintian,
#                                                 and the program it holds runs
#   package_tests.sh man MAN_PAGE PROGRAM          the manual page renders without a warning
#                                                 and names every command and option
#   package_tests.sh completion SCRIPT PROGRAM     the bash completion offers what the program
#                                                 takes, and no key
#
# Exits 77 (skipped) where a tool it needs is missing.
set -euo pipefail

kind=$1
subject=$(realpath "$2")
program=$(realpath "$3")

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
skip() {
    echo "SKIP: $*"
    exit 77
}
need() {
    local tool
    for tool; do
        command -v "$tool" >/dev/null || skip "$tool is not installed (tools/setup.sh installs it)"
    done
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The commands and, for each, the options that `--help` lists (-h and --help among them).
commands=(encrypt decrypt check status find)
help_options() {
    "$program" "$1" --help | sed -n 's/^  \(-[^ ]*\).*/\1/p' | tr ',' '\n'
}

check_deb() {
    local build=$1
    need cpack dpkg dpkg-deb dpkg-shlibdeps lintian file
    local version arch deb
    version=$("$program" --version | sed -n 's/^veilquill-cli //p')
    arch=$(dpkg --print-architecture)
    cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
        {
            cat "$scratch/cpack.log" >&2
            fail "cpack failed"
            return
        }
    deb=$scratch/out/veilquill-cli_${version}_$arch.deb
    if [ ! -f "$deb" ]; then
        fail "no $(basename "$deb"); cpack made: $(ls "$scratch/out")"
        return
    fi

    # Every file and folder, with its owner and mode.
    local expected actual
    expected=$(
        cat <<EOF
drwxr-xr-x root/root ./usr/
drwxr-xr-x root/root ./usr/bin/
-rwxr-xr-x root/root ./usr/bin/veilquill-cli
drwxr-xr-x root/root ./usr/share/
drwxr-xr-x root/root ./usr/share/bash-completion/
drwxr-xr-x root/root ./usr/share/bash-completion/completions/
-rw-r--r-- root/root ./usr/share/bash-completion/completions/veilquill-cli
drwxr-xr-x root/root ./usr/share/doc/
drwxr-xr-x root/root ./usr/share/doc/veilquill-cli/
-rw-r--r-- root/root ./usr/share/doc/veilquill-cli/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/veilquill-cli/copyright
drwxr-xr-x root/root ./usr/share/man/
drwxr-xr-x root/root ./usr/share/man/man1/
-rw-r--r-- root/root ./usr/share/man/man1/veilquill-cli.1.gz
EOF
    )
    actual=$(dpkg-deb -c "$deb" | awk '$6 != "./" {print $1, $2, $6}' | sort -k3)
    [ "$actual" = "$expected" ] || fail "the package's files differ:
$(diff <(echo "$expected") <(echo "$actual"))"

    # The control fields.
    local field value
    for field in Package:veilquill-cli Version:$version Architecture:$arch Section:utils \
        Priority:optional; do
        value=$(dpkg-deb -f "$deb" "${field%%:*}")
        [ "$value" = "${field#*:}" ] || fail "${field%%:*} is '$value', not '${field#*:}'"
    done
    local depends
    depends=$(dpkg-deb -f "$deb" Depends)
    [[ $depends == *libgcrypt20* && $depends == *libunistring2* && $depends == *libc6* ]] ||
        fail "Depends does not name the libraries the program is linked with: '$depends'"
    [ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no Maintainer"
    [ "$(dpkg-deb -f "$deb" Description | wc -l)" -ge 3 ] || fail "no long Description"

    # The program it holds runs, stripped; its changelog names this version.
    dpkg-deb -x "$deb" "$scratch/root"
    local shipped=$scratch/root/usr/bin/veilquill-cli
    value=$("$shipped" --version) || fail "the packaged program does not run"
    [ "$value" = "veilquill-cli $version" ] || fail "the packaged program says '$value'"
    file -L "$shipped" | grep -q ', stripped' || fail "the packaged program is not stripped"
    value=$(zcat "$scratch/root/usr/share/doc/veilquill-cli/changelog.gz" | head -n 1)
    [[ $value == "veilquill-cli ($version) "* ]] ||
        fail "the changelog's latest entry is not for $version: $value"

    # lintian finds no error and no warning (it may find information and pedantic notes).
    if ! lintian --info --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1 ||
        grep -qE '^[EW]: ' "$scratch/lintian.log"; then
        fail "lintian:
$(cat "$scratch/lintian.log")"
    fi
}

check_man() {
    local page=$1
    need man
    need groff
    local text
    text=$(LC_ALL=C MANWIDTH=80 man --warnings -l "$page" 2>"$scratch/warnings") ||
        fail "man cannot render $page"
    zcat -f "$page" | groff -ww -z -man 2>>"$scratch/warnings" || fail "groff cannot read $page"
    [ ! -s "$scratch/warnings" ] || fail "man warns about $page:
$(cat "$scratch/warnings")"
    local section
    for section in NAME SYNOPSIS DESCRIPTION COMMANDS OPTIONS 'THE KEY' PIPES 'EXIT STATUS' \
        ENVIRONMENT FILES EXAMPLES; do
        grep -qx "$section" <<<"$text" || fail "the manual page has no section $section"
    done
    local command option
    for command in "${commands[@]}"; do
        grep -qw -- "$command" <<<"$text" || fail "the manual page does not name $command"
        for option in $(help_options "$command"); do
            grep -q -- "$option\b" <<<"$text" ||
                fail "the manual page does not name $command's option $option"
        done
    done
    for option in VEILQUILL_DATA XDG_DATA_HOME --version; do
        grep -q -- "$option" <<<"$text" || fail "the manual page does not name $option"
    done
}

# Prints what the completion offers for the words given, one a line, run from the folder
# "$scratch/here" in a bash with bash-completion ($1 = full) or without it ($1 = bare).
complete_words() {
    local mode=$1
    shift
    (cd "$scratch/here" && bash --norc --noprofile -c '
        mode=$1 script=$2
        shift 2
        if [ "$mode" = full ]; then source /usr/share/bash-completion/bash_completion; fi
        source "$script"
        COMP_WORDS=("$@")
        COMP_CWORD=$(($# - 1))
        COMP_LINE="$*"
        COMP_POINT=${#COMP_LINE}
        _veilquill_cli veilquill-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        [ ${#COMPREPLY[@]} -eq 0 ] || printf "%s\n" "${COMPREPLY[@]}"
    ' bash "$mode" "$script" "$@")
}

check_completion() {
    local script=$1
    need bash
    local modes=(bare)
    if [ -f /usr/share/bash-completion/bash_completion ]; then
        modes+=(full)
    else
        echo "note: bash-completion is not installed; its helpers are not tried"
    fi
    mkdir -p "$scratch/here/sub folder"
    touch "$scratch/here/notes.txt" "$scratch/here/key"
    local mode got command option words
    for mode in "${modes[@]}"; do
        got=$(complete_words "$mode" veilquill-cli "" | sort | tr '\n' ' ')
        [ "$got" = "check decrypt encrypt find status " ] ||
            fail "$mode: after the program's name it offers '$got'"
        got=$(complete_words "$mode" veilquill-cli encrypt --st | tr '\n' ' ')
        [ "$got" = "--strong " ] || fail "$mode: 'encrypt --st' offers '$got'"

        # Every option the program takes is offered.
        for command in "${commands[@]}"; do
            got=$(complete_words "$mode" veilquill-cli "$command" -)
            for option in $(help_options "$command"); do
                grep -qx -- "$option" <<<"$got" ||
                    fail "$mode: '$command -' does not offer $option"
            done
        done

        # A file's name after --key-file; folders alone for find and --data.
        got=$(complete_words "$mode" veilquill-cli decrypt --key-file k | tr '\n' ' ')
        [ "$got" = "key " ] || fail "$mode: '--key-file k' offers '$got'"
        for words in "find s" "check --data s" "find n"; do
            # shellcheck disable=SC2086 # the words are meant to be split
            got=$(complete_words "$mode" veilquill-cli $words | tr '\n' ' ')
            case $words in
            *" n") [ -z "$got" ] || fail "$mode: '$words' offers a file: '$got'" ;;
            *) [ "$got" = "sub folder " ] || fail "$mode: '$words' offers '$got'" ;;
            esac
        done

        # --key-stdin takes no argument: after it come the files of the folder and options,
        # never a word that is neither (a key), nor the other way of giving the key.
        got=$(complete_words "$mode" veilquill-cli encrypt --key-stdin "")
        while IFS= read -r option; do
            [ -z "$option" ] || [ -e "$scratch/here/$option" ] ||
                fail "$mode: after --key-stdin it offers '$option', which is no file"
        done <<<"$got"
        got=$(complete_words "$mode" veilquill-cli encrypt --key-stdin --key)
        [ -z "$got" ] || fail "$mode: after --key-stdin it offers '$got'"
    done
}

case $kind in
deb) check_deb "$subject" ;;
man) check_man "$subject" ;;
completion) check_completion "$subject" ;;
*)
    echo "usage: $0 deb|man|completion SUBJECT PROGRAM" >&2
    exit 2
    ;;
esac
if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed" >&2
    exit 1
fi
echo "all checks passed"
