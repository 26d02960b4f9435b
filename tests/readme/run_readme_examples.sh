#!/usr/bin/env bash
# Runs every "$ " example of README.md as written, in a temporary root laid out like the
# repository after a build (build/bin and examples/), and checks that each ends with status 0
# (or the status a trailing "# exit N" gives) and prints every line the README shows below it,
# in either stream. A shown line with "..." in it matches any text there; a line of only "..."
# is an elision. A failure shows the README's lines the output lacks (-) and the output (+).
#   run_readme_examples.sh BIN_DIR SOURCE_DIR
set -uo pipefail

usage() { echo "usage: $0 BIN_DIR SOURCE_DIR" >&2; exit 2; }
die() { echo "readme examples: $*" >&2; exit 1; }

[ $# -eq 2 ] || usage
bin=$1 src=$2
readme=$src/README.md
[ -d "$bin" ] || die "$bin is not a folder"
[ -f "$readme" ] || die "$readme is missing"
[ -d "$src/examples" ] || die "$src/examples is missing"

# --- the examples ------------------------------------------------------------------------------

commands=() at=() shown=()
in_block=0 continued=0 current=-1 number=0
while IFS= read -r line || [ -n "$line" ]; do
    number=$((number + 1))
    line=${line%$'\r'}
    if [[ $line == '```'* ]]; then
        ((continued)) && die "README.md:$number: a command's last line ends with '\\'"
        in_block=$((1 - in_block)) current=-1
        continue
    fi
    ((in_block)) || continue
    if ((continued)); then
        commands[current]+=$'\n'$line
        [[ $line == *\\ ]] || continued=0
    elif [[ $line == '$ '* ]]; then
        current=${#commands[@]}
        commands[current]=${line#'$ '} at[current]=$number shown[current]=
        [[ $line == *\\ ]] && continued=1
    elif ((current >= 0)) && [[ $line == *[![:space:]]* ]]; then
        shown[current]+=$number$'\t'$line$'\n'
    fi
done <"$readme"
((in_block)) && die "README.md ends inside a code block: a closing \`\`\` is missing"
[ ${#commands[@]} -gt 0 ] || die "README.md shows no '\$ ' example"

# --- the temporary root ------------------------------------------------------------------------

tmp=$(mktemp -d) || die "no temporary folder"
trap 'rm -rf "$tmp"' EXIT
root=$tmp/root logs=$tmp/logs
mkdir -p "$root/build/bin" "$logs" "$tmp/home"

# The resources and macros beside the programs, and only the programs the examples run: the
# build's bin folder also holds every test and benchmark, over a gigabyte.
for f in "$bin"/*; do
    if [ -d "$f" ] || [ ! -x "$f" ]; then
        cp -R "$f" "$root/build/bin/" || die "cannot copy $f"
    fi
done
for name in $(printf '%s\n' "${commands[@]}" | grep -o 'build/bin/[A-Za-z0-9_.-]*' | sort -u); do
    [ -d "$bin/${name#build/bin/}" ] && continue
    [ -x "$bin/${name#build/bin/}" ] ||
        die "the README runs $name, which $bin does not hold: build it first"
    cp "$bin/${name#build/bin/}" "$root/build/bin/" || die "cannot copy $name"
done
cp -R "$src/examples" "$root/examples" || die "cannot copy $src/examples"

# --- matching ----------------------------------------------------------------------------------

# A shown line as a whole-line basic regular expression: everything literal, "..." any text.
line_regex() {
    printf '%s\n' "$1" | sed -e 's/[][\.*^$]/\\&/g' -e 's/\\\.\\\.\\\./.*/g'
}

# Whether FILE holds the shown line, trailing blanks aside.
holds_line() {
    local want=$1 file=$2
    if [[ $want == *...* ]]; then
        LC_ALL=C grep -qx -e "$(line_regex "$want")" "$file"
    else
        LC_ALL=C grep -qxF -e "$want" "$file"
    fi
}

# --- running -----------------------------------------------------------------------------------

export QT_QPA_PLATFORM=offscreen HOME=$tmp/home XDG_DATA_HOME=$tmp/home/data
failed=0
for i in "${!commands[@]}"; do
    cmd=${commands[i]}
    expected=0
    if [[ $cmd =~ [[:space:]]#[[:space:]]*exit[[:space:]]+([0-9]+)[[:space:]]*$ ]]; then
        expected=${BASH_REMATCH[1]}
    fi
    out=$logs/$i.out
    (cd "$root" && timeout 120 bash -c "$cmd" </dev/null >"$out.1" 2>"$out.2")
    status=$?
    # Both streams, each in its own order; trailing blanks are not part of a line.
    cat "$out.1" "$out.2" | sed 's/[[:space:]]*$//' >"$out"

    problems=()
    if [ "$status" -eq 124 ]; then
        problems+=("did not finish within 120 s")
    elif [ "$status" -ne "$expected" ]; then
        problems+=("exit status $status, the README expects $expected")
    fi
    while IFS= read -r entry; do
        [ -n "$entry" ] || continue
        where=${entry%%$'\t'*} want=${entry#*$'\t'}
        want=${want%"${want##*[![:space:]]}"}
        [ "$want" = "..." ] && continue
        holds_line "$want" "$out" || problems+=("$where"$'\t'"$want")
    done <<<"${shown[i]}"

    if [ ${#problems[@]} -eq 0 ]; then
        echo "ok    README.md:${at[i]}: ${cmd%%$'\n'*}"
        continue
    fi
    failed=$((failed + 1))
    echo "FAIL  README.md:${at[i]}:"
    printf '        $ %s\n' "${cmd//$'\n'/$'\n'          }"
    for p in "${problems[@]}"; do
        if [[ $p == *$'\t'* ]]; then
            echo "      README.md:${p%%$'\t'*}, not in the output:"
            echo "      -${p#*$'\t'}"
        else
            echo "      $p"
        fi
    done
    total=$(wc -l <"$out")
    echo "      the output (standard output, then standard error; $total lines):"
    head -n 60 "$out" | sed 's/^/      +/'
    [ "$total" -le 60 ] || echo "      (and $((total - 60)) more lines)"
done

echo "${#commands[@]} README examples, $failed failed"
[ "$failed" -eq 0 ]
