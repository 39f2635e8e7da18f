# bash completion for nskfile: the commands, the options of each command and
# the values of --type. Installed as .../bash-completion/completions/nskfile,
# where bash-completion finds it the first time nskfile is completed; it can
# also be sourced by hand. It uses nothing but bash itself.
#
# Guardian file names are not completed: they come from the node, not from
# the host's folders, and need quoting for their "$" and "\". So the words
# that are names (and the values of the other options) complete to nothing,
# rather than to host file names.
#
# The option lists follow `nskfile COMMAND --help`; a test compares them.

_nskfile() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local prev=${COMP_WORDS[COMP_CWORD - 1]}
  local commands="init volume create info dup purge print help"
  COMPREPLY=()

  if ((COMP_CWORD == 1)); then
    mapfile -t COMPREPLY < <(compgen -W "$commands --help" -- "$cur")
    return 0
  fi

  local command=${COMP_WORDS[1]} options="" i
  case $command in
    init) options="--node --os --defaults" ;;
    create) options="--type --code --altfile --altkey --raw-altlist --owner --secure" ;;
    info) options="--detail --json" ;;
    volume | dup | purge | print) ;;
    help)
      if ((COMP_CWORD == 2)); then
        mapfile -t COMPREPLY < <(compgen -W "${commands% help}" -- "$cur")
      fi
      return 0
      ;;
    *) return 0 ;;
  esac

  # After "--" every word is an argument, never an option.
  for ((i = 2; i < COMP_CWORD; i++)); do
    [[ ${COMP_WORDS[i]} == -- ]] && return 0
  done

  case $prev in
    --type)
      mapfile -t COMPREPLY < <(compgen -W "0 1 2 3" -- "$cur")
      return 0
      ;;
    --node | --os | --defaults | --code | --altfile | --altkey | --raw-altlist | --owner | --secure)
      return 0
      ;;
  esac

  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$options --help" -- "$cur")
  elif [[ $command == volume ]] && ((COMP_CWORD == 2)); then
    mapfile -t COMPREPLY < <(compgen -W "add list" -- "$cur")
  fi
  return 0
}

complete -F _nskfile nskfile
