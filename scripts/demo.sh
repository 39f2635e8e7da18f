#!/usr/bin/env bash
# Builds KEYMEND and runs it on a sample node made for the purpose.
#
# The story: the head files of $OLD.SALES, with their alternate-key files,
# were restored to $NEW.SALES. Their labels still name the alternate-key
# files on $OLD. KEYMEND moves those names to $NEW.SALES.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target keymend nskfile >/dev/null

bin="$PWD/build/release"
export NSK_ROOT="$PWD/build/sample-node"
export NSK_DEFAULTS='$NEW.SALES'
rm -rf "$NSK_ROOT"
nskfile() { "$bin/tools/nskfile" "$@"; }
quietly() { "$@" >/dev/null; }
keymend() { "$bin/driver/keymend" "$@"; }
# Shows a command as one would type it, then runs it.
show() {
  local cmd=$1 a
  shift
  printf '\n$ %s' "$cmd"
  for a in "$@"; do
    if [[ $a == *[\$\*\\{]* ]]; then printf " '%s'" "$a"; else printf ' %s' "$a"; fi
  done
  printf '\n'
  "$cmd" "$@" || true
}

nskfile init --node '\DEMO' >/dev/null
quietly nskfile volume add '$OLD' '$NEW'
# The files as they were made on $OLD.SALES.
quietly nskfile create '$OLD.SALES.ORDERS' --altfile '$OLD.SALES.ORDALT1' --altfile '$OLD.SALES.ORDALT2'
quietly nskfile create '$OLD.SALES.ORDALT1'
quietly nskfile create '$OLD.SALES.ORDALT2'
quietly nskfile create '$OLD.SALES.CUSTOMER' --altfile '$OLD.SALES.CUSTALT'
quietly nskfile create '$OLD.SALES.CUSTALT'
quietly nskfile create '$OLD.SALES.NOTES' --type 0
# The restore to another volume: labels are copied unchanged.
quietly nskfile dup '$OLD.SALES.*' '$NEW.SALES.*'
# A head file made on $NEW.SALES itself: already right.
quietly nskfile create '$NEW.SALES.INVOICE' --altfile '$NEW.SALES.INVALT'
quietly nskfile create '$NEW.SALES.INVALT'

echo "== Before: the restored head files still point at \$OLD"
show nskfile info '$NEW.SALES.*' --detail
echo
echo "== A dry run first, then the repair"
show keymend '$NEW.SALES.*,$NEW.SALES,LISTONLY'
show keymend '$NEW.SALES.*,$NEW.SALES'
echo
echo "== After: every alternate-key file name is on \$NEW.SALES"
show nskfile info '$NEW.SALES.*' --detail
echo
echo "== A second run finds nothing left to do"
show keymend '$NEW.SALES.*'
