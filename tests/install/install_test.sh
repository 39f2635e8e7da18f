# cmake --install into a temporary prefix gives programs that run from any
# folder with nothing of the build tree, manual pages that man finds, and the
# bash completion.
#
# usage: install_test.sh CMAKE BUILD_DIR SOURCE_DIR
set -euo pipefail
source "$KEYMEND_TEST_LIB"
cmake=$1 build=$2 source=$3
need readelf binutils
need man man-db
make_scratch
prefix=$scratch/prefix

"$cmake" --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
  fail "cmake --install failed: $(<"$scratch/install.log")"

# What is installed, and that the data files are the ones of the source tree.
installed=(
  "bin/keymend|"
  "bin/nskfile|"
  "share/man/man1/keymend.1|docs/man/keymend.1"
  "share/man/man1/nskfile.1|docs/man/nskfile.1"
  "share/bash-completion/completions/nskfile|tools/completion/nskfile.bash"
)
for row in "${installed[@]}"; do
  path=${row%%|*} origin=${row#*|}
  [[ -f $prefix/$path ]] || fail "$path is not installed"
  if [[ -z $origin ]]; then
    [[ -x $prefix/$path ]] || fail "$path is not executable"
  else
    cmp -s "$prefix/$path" "$source/$origin" || fail "$path differs from $origin"
  fi
done

# Nothing reaches back into the build tree: no RPATH or RUNPATH into it, and
# every shared library resolves outside it.
for program in keymend nskfile; do
  if readelf -d "$prefix/bin/$program" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then
    fail "$program keeps a run path into the build tree"
  fi
  libraries=$(ldd "$prefix/bin/$program") || fail "ldd $program failed"
  grep -q 'not found' <<<"$libraries" && fail "$program misses a library: $libraries"
  grep -qF "$build" <<<"$libraries" && fail "$program loads a library from the build tree"
  grep -q libsqlite3 <<<"$libraries" || fail "$program does not load the SQLite library"
done

# The installed programs, found through PATH, run in a folder of their own.
mkdir "$scratch/elsewhere"
cd "$scratch/elsewhere"
export PATH="$prefix/bin:/usr/bin:/bin" NSK_ROOT="$scratch/node"
unset NSK_DEFAULTS NSK_USER
expect_status 0 nskfile init --node '\INST'
grep -q '^created node \\INST$' <<<"$out" || fail "nskfile init said: $out"
expect_status 0 keymend -h
[[ $(sed -n 3p <<<"$out") == "KEYMEND adjustes alternate key file entries." ]] ||
  fail "keymend -h printed: $out"
[[ $(wc -l <<<"$out") -eq 15 ]] || fail "keymend -h printed not 2 + 13 lines: $out"

expect_status 0 nskfile create ORDERS --altfile ORDALT
expect_status 0 nskfile info ORDERS --json
[[ $out == '{"name":"$DATA.USER.ORDERS","type":3,"code":0,"altkeys":1,"altfiles":["$DATA.USER.ORDALT"]}' ]] ||
  fail "nskfile info printed: $out"
expect_status 0 keymend 'ORDERS,$DATA.NEW'
[[ $(tail -n 1 <<<"$out") == '$DATA.USER.ORDERS . . . . . . . . . .  modified' ]] ||
  fail "keymend printed: $out"
expect_status 0 nskfile info ORDERS --json
grep -qF '"altfiles":["$DATA.NEW.ORDALT"]' <<<"$out" || fail "the label was not adjusted: $out"

# man finds the pages under the prefix; the completion registers itself.
for page in keymend nskfile; do
  found=$(man --manpath="$prefix/share/man" -w "$page") || fail "man does not find $page"
  [[ $found == "$prefix/share/man/man1/$page.1" ]] || fail "man found $page at $found"
done
registered=$(bash -c 'source "$1" && complete -p nskfile' _ \
  "$prefix/share/bash-completion/completions/nskfile") || fail "the completion does not load"
[[ $registered == "complete -F _nskfile nskfile" ]] || fail "the completion registers: $registered"
echo "install test passed"
