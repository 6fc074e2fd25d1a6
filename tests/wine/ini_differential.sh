#!/usr/bin/env bash
# The Linux build's INI reader and writer must behave as the Windows profile
# functions do. Both ini_query builds (the Windows one under Wine) answer the
# same queries over the same corpus, and their outputs must be identical:
#  1. reading: every corpus file, as it is;
#  2. reading again, from copies in a folder past the classic path length;
#  3. writing: the edits in edits.txt are written into copies of the corpus by
#     each platform's writer, and each platform reads its own result back.
# Wine's writer rewrites the whole file while Linux edits it in place, so the
# written bytes differ by design; what is compared is what they then mean.
#
# Usage: ini_differential.sh WINDOWS_INI_QUERY NATIVE_BUILD_DIR [CORPUS_DIR]
#
# Files without a byte-order mark are read in the ANSI code page by Windows but
# as UTF-8 (else Latin-1) by Linux, so the corpus keeps them to ASCII and to
# bytes 0xA0..0xFF outside UTF-8, where Windows-1252 and Latin-1 agree.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [ $# -lt 2 ]; then
    echo "usage: $0 WINDOWS_INI_QUERY NATIVE_BUILD_DIR [CORPUS_DIR]" >&2
    exit 2
fi
windows_tool=$1
linux_tool=$2/tests/ini_query
corpus=${3:-$here/../ini_corpus}

if [ ! -f "$windows_tool" ]; then
    echo "ini_differential: Windows ini_query not found at $windows_tool" >&2
    exit 1
fi
if [ ! -x "$linux_tool" ]; then
    echo "ini_differential: native ini_query not found at $linux_tool;" \
        "build the linux preset first (cmake --preset linux && cmake --build build/linux)" \
        "or point JLAUNCH_NATIVE_BUILD_DIR at its build folder" >&2
    exit 1
fi

# Full paths: Windows looks for a bare file name in its own folder. Wine maps
# an absolute Unix path to drive Z:, so the same paths serve both tools.
corpus=$(cd "$corpus" && pwd)
queries=$corpus/queries.txt
edits=$corpus/edits.txt
if [ ! -f "$queries" ] || [ ! -f "$edits" ] || ! compgen -G "$corpus/*.ini" >/dev/null; then
    echo "ini_differential: queries.txt, edits.txt or the *.ini files are missing in $corpus" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# compare LABEL QUERIES WINDOWS_FOLDER LINUX_FOLDER: both tools answer QUERIES
# for every *.ini file of their folder; prints the diff and fails on any
# difference.
compare() {
    local label=$1 query_file=$2 windows_folder=$3 linux_folder=$4
    local out=$work/$label side
    if ! "$here/wine-run.sh" "$windows_tool" "$query_file" "$windows_folder"/*.ini >"$out.windows" 2>"$out.err"; then
        echo "ini_differential ($label): the Windows ini_query failed under Wine:" >&2
        cat "$out.err" >&2
        return 1
    fi
    if ! "$linux_tool" "$query_file" "$linux_folder"/*.ini >"$out.linux"; then
        echo "ini_differential ($label): the native ini_query failed" >&2
        return 1
    fi
    # After writing, Wine's rewritten file and the file edited in place may
    # list a repeated key differently: only the reading compares key names.
    if [ "$label" != reading ]; then
        for side in windows linux; do
            grep -v '^keys of ' "$out.$side" >"$out.$side.values" || true
            mv "$out.$side.values" "$out.$side"
        done
    fi
    # Both must have answered everything (a section line and one line per
    # query for each file, besides a line of key names per section), so two
    # empty outputs can never agree by accident.
    local files query_count expected lines answers
    files=$(compgen -G "$windows_folder/*.ini" | wc -l)
    query_count=$(grep -v '^#' "$query_file" | grep -c $'\t' || true)
    expected=$((files * (query_count + 2)))
    for side in windows linux; do
        lines=$(grep -cv '^keys of ' "$out.$side" || true)
        if [ "$lines" -ne "$expected" ]; then
            echo "ini_differential ($label): the $side output has $lines lines, expected $expected" >&2
            return 1
        fi
    done
    answers=$(grep -cv -e '^== ' -e '^sections ' -e '^keys of ' -e '=$' "$out.windows" || true)
    if [ "$answers" -eq 0 ]; then
        echo "ini_differential ($label): Windows found no value at all; the files were not read" >&2
        return 1
    fi
    if ! diff -u --label "windows ($label)" "$out.windows" --label "linux ($label)" "$out.linux"; then
        echo "ini_differential ($label): Linux answers differently from Windows (see the diff above)" >&2
        return 1
    fi
    echo "ini_differential ($label): $files files x $query_count queries answered alike"
}

status=0
compare reading "$queries" "$corpus" "$corpus" || status=1

# Past the 260 characters of a classic path the system's profile functions
# read nothing, and the launcher reads the text itself: the answers must not change.
deep=$work/deep
for level in 1 2 3 4 5 6; do
    deep="$deep/level $level of a folder tree with long names"
done
mkdir -p "$deep" && cp "$corpus"/*.ini "$deep/"
compare long-paths "$queries" "$deep" "$corpus" || status=1

# Not written: Windows keeps names and values as C strings and writes them
# back so, which changes the meaning of untouched lines holding a NUL.
mkdir "$work/windows" "$work/linux"
for file in "$corpus"/*.ini; do
    case ${file##*/} in
        nul_inside.ini) ;;
        *) cp "$file" "$work/windows/" && cp "$file" "$work/linux/" ;;
    esac
done
if ! "$here/wine-run.sh" "$windows_tool" --set "$edits" "$work"/windows/*.ini 2>"$work/set.err"; then
    echo "ini_differential (writing): the Windows ini_query --set failed under Wine:" >&2
    cat "$work/set.err" >&2
    status=1
elif ! "$linux_tool" --set "$edits" "$work"/linux/*.ini; then
    echo "ini_differential (writing): the native ini_query --set failed" >&2
    status=1
else
    { cat "$queries"; grep -v '^#' "$edits" | cut -f1,2; } >"$work/written-queries.txt"
    compare writing "$work/written-queries.txt" "$work/windows" "$work/linux" || status=1
fi
exit $status
