# The manual pages render without a warning and fit 80 columns; their report
# lines put the outcome in column 40; their worked examples are what the
# programs really print; nskfile.1 names every option that nskfile knows.
#
# usage: man_test.sh MAN_DIR VERSION KEYMEND NSKFILE
set -euo pipefail
source "$KEYMEND_TEST_LIB"
man_dir=$1 version=$2 keymend=$3 nskfile=$4
need man man-db
need groff groff-base
make_scratch
# UTF-8 output is where a careless "-", "'" or "~" turns into a glyph that a
# shell would not take; rendering there checks the examples can be copied.
export LC_ALL=C.UTF-8

sections_keymend=(NAME SYNOPSIS DESCRIPTION TEMPLATES "DEFAULT LOCATIONS" OUTPUT "EXIT STATUS"
  ENVIRONMENT FILES NOTES EXAMPLES "SEE ALSO")
sections_nskfile=(NAME SYNOPSIS DESCRIPTION COMMANDS "EXIT STATUS" ENVIRONMENT FILES NOTES
  EXAMPLES "SEE ALSO")

for page in keymend nskfile; do
  source_page=$man_dir/$page.1
  [[ -f $source_page ]] || fail "$source_page is missing"
  warnings=$(MANWIDTH=80 man --warnings -l "$source_page" 2>&1 >/dev/null)
  [[ -z $warnings ]] || fail "$page.1 renders with warnings: $warnings"

  MANWIDTH=80 man -l "$source_page" >"$scratch/$page.80" 2>/dev/null
  while IFS= read -r line; do
    ((${#line} <= 80)) || fail "$page.1 has a line wider than 80 columns: $line"
  done <"$scratch/$page.80"
  tail -n 1 "$scratch/$page.80" | grep -qF "keymend $version" ||
    fail "$page.1 is not marked keymend $version: $(tail -n 1 "$scratch/$page.80")"
  declare -n sections="sections_$page"
  for section in "${sections[@]}"; do
    grep -qx "$section" "$scratch/$page.80" || fail "$page.1 has no section $section"
  done

  # Report lines: the name and its dots fill columns 1 to 37, two blanks,
  # then the outcome from column 40.
  grep -E '[^ ] ?(\. )+\. ' "$scratch/$page.80" >"$scratch/$page.report" || true
  while IFS= read -r line; do
    report=${line#"${line%%[! ]*}"}
    [[ ${report:0:37} =~ ^[^\ ]+\ ?(\.\ )*\.?$ && ${report:37:2} == "  " &&
      ${report:39} =~ ^(OK|modified|to\ be\ modified|\ in\ error:\ [0-9]+)$ ]] ||
      fail "$page.1: a report line out of shape: \"$report\""
  done <"$scratch/$page.report"
done

# The worked examples. In the EXAMPLES section, a line "$ command" (with
# "\" continuations) is a command, and the lines under it up to a blank
# line are what it prints; a command shown without output is run but not
# compared. keymend's two banner lines are left out of the pages.
mkdir "$scratch/bin" "$scratch/home"
ln -s "$keymend" "$scratch/bin/keymend"
ln -s "$nskfile" "$scratch/bin/nskfile"
for page in keymend nskfile; do
  MANWIDTH=200 man -l "$man_dir/$page.1" 2>/dev/null |
    sed -n '/^EXAMPLES$/,/^[A-Z]/p' | sed '1d;$d' >"$scratch/$page.examples"
  commands=() outputs=()
  in_block=0 continued=0
  while IFS= read -r line; do
    body=${line:7}
    if [[ -z ${line//[[:space:]]/} ]]; then
      in_block=0
    elif ((continued)); then
      commands[-1]+=$'\n'$body
    elif [[ $body == '$ '* ]]; then
      commands+=("${body:2}") outputs+=("")
      in_block=1
    elif ((in_block)); then
      outputs[-1]+=$body$'\n'
    fi
    [[ $line == *'\' ]] && continued=1 || continued=0
  done <"$scratch/$page.examples"
  ((${#commands[@]} > 0)) || fail "$page.1 shows no example commands"

  rm -rf "$scratch/home"/* "$scratch/home"/.[!.]* 2>/dev/null || true
  (
    cd "$scratch/home"
    export HOME=$scratch/home PATH=$scratch/bin:$PATH
    unset NSK_ROOT NSK_DEFAULTS NSK_USER XDG_DATA_HOME
    for i in "${!commands[@]}"; do
      status=0
      eval "${commands[i]}" >"$scratch/actual" 2>&1 || status=$?
      ((status == 0)) || fail "$page.1 example \"${commands[i]}\" exited $status: $(<"$scratch/actual")"
      [[ -n ${outputs[i]} ]] || continue
      if [[ ${commands[i]} == keymend* ]]; then
        actual=$(tail -n +3 "$scratch/actual")
      else
        actual=$(<"$scratch/actual")
      fi
      [[ $actual == "${outputs[i]%$'\n'}" ]] ||
        fail "$page.1 example \"${commands[i]}\" shows
${outputs[i]}but prints
$actual"
    done
  )
done

# Every option of every nskfile command is in nskfile.1.
for command in init volume create info dup purge print; do
  for option in $("$nskfile" "$command" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" "$scratch/nskfile.80" ||
      fail "nskfile.1 does not mention $command $option"
  done
done
echo "manual page test passed"
