# The bash completion of nskfile: commands, each command's options, the
# values of --type, and nothing where a Guardian name or a free value goes.
# The options it offers are exactly those of nskfile COMMAND --help.
#
# usage: completion_test.sh COMPLETION_FILE NSKFILE
set -euo pipefail
source "$KEYMEND_TEST_LIB"
completion=$1 nskfile=$2
make_scratch
export LC_ALL=C  # the order of sort

# complete_line "nskfile info --": what Tab offers at the end of the line,
# sorted, on one line. A line that ends in a blank completes an empty word.
complete_line() {
  bash --norc --noprofile -c '
    source "$1" || exit 1
    read -ra COMP_WORDS <<<"$2"
    [[ $2 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$2 COMP_POINT=${#2}
    _nskfile nskfile "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    mapfile -t offered < <(printf "%s\n" "${COMPREPLY[@]}" | sort)
    echo "${offered[*]}"' _ "$completion" "$1"
}

# line | what it offers
cases=(
  "nskfile |--help create dup help info init print purge volume"
  "nskfile i|info init"
  "nskfile p|print purge"
  "nskfile --|--help"
  "nskfile help |create dup info init print purge volume"
  "nskfile help info |"
  "nskfile volume |add list"
  "nskfile volume a|add"
  "nskfile volume add |"
  "nskfile info --|--detail --help --json"
  "nskfile info \$DATA.* --j|--json"
  "nskfile create X --t|--type"
  "nskfile create X --type |0 1 2 3"
  "nskfile create X --type 3 --code |"
  "nskfile create X --owner |"
  "nskfile create X --altfile |"
  "nskfile create X --raw-altlist |"
  "nskfile create X -- --|"
  "nskfile init --|--defaults --help --node --os"
  "nskfile init --node |"
  "nskfile dup --|--help"
  "nskfile dup |"
  "nskfile frob --|"
)
for row in "${cases[@]}"; do
  line=${row%%|*} want=${row#*|}
  have=$(complete_line "$line") || fail "the completion fails on \"$line\""
  [[ $have == "$want" ]] || fail "\"$line\" offers \"$have\", not \"$want\""
done

# What it offers after "--" is what the command's --help lists.
for command in init volume create info dup purge print; do
  listed=$({
    "$nskfile" "$command" --help | grep -oE -- '--[a-z][a-z-]*'
    echo --help
  } | sort -u | paste -sd ' ')
  have=$(complete_line "nskfile $command --")
  [[ $have == "$listed" ]] ||
    fail "nskfile $command: completion offers \"$have\", --help lists \"$listed\""
done

# It registers itself for nskfile, and only with bash's own means.
registered=$(bash --norc --noprofile -c 'source "$1" && complete -p nskfile' _ "$completion")
[[ $registered == "complete -F _nskfile nskfile" ]] || fail "it registers \"$registered\""
echo "completion test passed"
