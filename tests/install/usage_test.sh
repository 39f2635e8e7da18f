# nskfile --help, nskfile COMMAND --help and nskfile help COMMAND print the
# right usage on standard output; an unknown command or option is one line
# on standard error that names the usage to read.
#
# usage: usage_test.sh NSKFILE
set -euo pipefail
source "$KEYMEND_TEST_LIB"
nskfile=$1
make_scratch
# No node is needed for help, and none may be touched.
export NSK_ROOT=$scratch/no-node

commands=(init volume create info dup purge print)

# words | exit status | first line of standard output (0; a final "*" means
# "begins with") or the one line of standard error (1)
cases=(
  "--help|0|usage: nskfile COMMAND [ARGUMENTS]"
  "-h|0|usage: nskfile COMMAND [ARGUMENTS]"
  "help|0|usage: nskfile COMMAND [ARGUMENTS]"
  "create X --type 3 --help|0|usage: nskfile create NAME [--type N] [--code N] [--altfile NAME]..."
  "info -h|0|usage: nskfile info TEMPLATE [--detail] [--json]"
  "help dup|0|usage: nskfile dup FROM TO"
  "volume --help|0|usage: nskfile volume add \$VOL ..."
)
for command in "${commands[@]}"; do
  cases+=("$command --help|0|usage: nskfile $command*" "help $command|0|usage: nskfile $command*")
done
errors=(
  "|1|nskfile: no command given (try nskfile --help)"
  "frobnicate|1|nskfile: unknown command \"frobnicate\" (try nskfile --help)"
  "--frob|1|nskfile: unknown option \"--frob\" (try nskfile --help)"
  "help frob|1|nskfile: unknown command \"frob\" (try nskfile --help)"
  "create X --frob|1|nskfile create: unknown option --frob (nskfile create --help lists them)"
  "info --frob X|1|nskfile info: unknown option --frob (nskfile info --help lists them)"
  "volume list --all|1|nskfile volume: unknown option --all (nskfile volume --help lists them)"
  "init --node|1|nskfile init: --node needs a value"
  "info|1|nskfile info: give exactly one template: info TEMPLATE"
  "dup X|1|nskfile dup: give a source and a target: dup FROM TO"
)

for row in "${cases[@]}" "${errors[@]}"; do
  IFS='|' read -r words want_status want_line <<<"$row"
  read -ra argv <<<"$words"
  status=0
  "$nskfile" "${argv[@]}" >"$scratch/out" 2>"$scratch/err" || status=$?
  ((status == want_status)) || fail "nskfile $words: exit $status, not $want_status"
  if ((want_status == 0)); then
    [[ ! -s $scratch/err ]] || fail "nskfile $words: wrote to standard error: $(<"$scratch/err")"
    first=$(head -n 1 "$scratch/out")
    if [[ $want_line == *'*' ]]; then
      [[ $first == "${want_line%'*'}"* ]] || fail "nskfile $words: begins \"$first\""
    else
      [[ $first == "$want_line" ]] || fail "nskfile $words: begins \"$first\", not \"$want_line\""
    fi
    while IFS= read -r line; do
      ((${#line} <= 80)) || fail "nskfile $words: a line wider than 80 columns: $line"
    done <"$scratch/out"
  else
    [[ ! -s $scratch/out ]] || fail "nskfile $words: wrote to standard output: $(<"$scratch/out")"
    [[ $(<"$scratch/err") == "$want_line" ]] ||
      fail "nskfile $words: said \"$(<"$scratch/err")\", not \"$want_line\""
  fi
done

# The general usage lists every command.
"$nskfile" --help >"$scratch/out"
for command in "${commands[@]}"; do
  grep -qE "^  $command( |$)" "$scratch/out" || fail "nskfile --help does not list $command"
done
[[ ! -e $NSK_ROOT ]] || fail "asking for help made a node"
echo "usage test passed"
