# cpack -G DEB in the build tree gives one Debian package that holds both
# programs, both manual pages and the completion, declares its shared-library
# dependencies (SQLite among them), and unpacks with dpkg -x to programs that
# run.
#
# usage: package_test.sh CPACK BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
source "$KEYMEND_TEST_LIB"
cpack=$1 build=$2 source=$3 version=$4
need dpkg-deb dpkg
need dpkg-shlibdeps dpkg-dev
need file file
need gzip gzip
make_scratch

(cd "$build" && "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out") \
  >"$scratch/cpack.log" 2>&1 || fail "cpack failed: $(<"$scratch/cpack.log")"
debs=("$scratch"/out/*.deb)
((${#debs[@]} == 1)) && [[ -f ${debs[0]} ]] || fail "cpack made no single package: ${debs[*]}"
deb=${debs[0]}
arch=$(dpkg --print-architecture)
[[ $(basename "$deb") == "keymend_${version}_${arch}.deb" ]] || fail "package named $(basename "$deb")"

# The control fields.
fields=(
  "Package|keymend"
  "Version|$version"
  "Architecture|$arch"
  "Section|utils"
)
for row in "${fields[@]}"; do
  field=${row%%|*} want=${row#*|}
  have=$(dpkg-deb -f "$deb" "$field")
  [[ $have == "$want" ]] || fail "$field is \"$have\", not \"$want\""
done
depends=$(dpkg-deb -f "$deb" Depends)
grep -Eq '(^|, )libsqlite3-0( \(>= [0-9.]+\))?(,|$)' <<<"$depends" ||
  fail "Depends does not name the SQLite runtime: $depends"
[[ -n $(dpkg-deb -f "$deb" Maintainer) ]] || fail "no Maintainer"

# Exactly these files, owned by root, with these modes; and no others (no
# test programs, libraries or headers).
want_files=(
  "-rwxr-xr-x ./usr/bin/keymend"
  "-rwxr-xr-x ./usr/bin/nskfile"
  "-rw-r--r-- ./usr/share/bash-completion/completions/nskfile"
  "-rw-r--r-- ./usr/share/man/man1/keymend.1.gz"
  "-rw-r--r-- ./usr/share/man/man1/nskfile.1.gz"
)
listing=$(dpkg-deb -c "$deb")
have_files=$(awk '$1 !~ /^d/ { print $1, $6 }' <<<"$listing" | sort)
[[ $have_files == "$(printf '%s\n' "${want_files[@]}" | sort)" ]] ||
  fail "the package holds: $have_files"
owners=$(awk '{ print $2 }' <<<"$listing" | sort -u)
[[ $owners == root/root ]] || fail "files owned by $owners"

# Unpacked, the files are the source tree's, and the programs run.
root=$scratch/root
dpkg -x "$deb" "$root" || fail "dpkg -x failed"
for page in keymend nskfile; do
  gzip -dc "$root/usr/share/man/man1/$page.1.gz" | cmp -s - "$source/docs/man/$page.1" ||
    fail "the packaged $page.1 differs from docs/man/$page.1"
done
cmp -s "$root/usr/share/bash-completion/completions/nskfile" \
  "$source/tools/completion/nskfile.bash" || fail "the packaged completion differs"

mkdir "$scratch/elsewhere"
cd "$scratch/elsewhere"
export NSK_ROOT="$scratch/node"
unset NSK_DEFAULTS NSK_USER
expect_status 0 "$root/usr/bin/nskfile" init --node '\PKG'
expect_status 0 "$root/usr/bin/keymend" -h
[[ $(sed -n 1p <<<"$out") == *"System \\PKG, running NSK H06.29" ]] || fail "keymend -h printed: $out"
[[ $(sed -n 3p <<<"$out") == "KEYMEND adjustes alternate key file entries." ]] ||
  fail "keymend -h printed: $out"
expect_status 0 "$root/usr/bin/nskfile" create HEAD --altfile '$OLD.USER.ALT'
expect_status 0 "$root/usr/bin/keymend" 'HEAD'
[[ $(tail -n 1 <<<"$out") == '$DATA.USER.HEAD . . . . . . . . . . .  modified' ]] ||
  fail "keymend printed: $out"
expect_status 0 "$root/usr/bin/nskfile" info HEAD --json
grep -qF '"altfiles":["$DATA.USER.ALT"]' <<<"$out" || fail "the label was not adjusted: $out"
echo "package test passed"
