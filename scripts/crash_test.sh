#!/usr/bin/env bash
# Crash test: keymend killed with SIGKILL at random moments loses nothing.
#
#   scripts/crash_test.sh [--trials N] [--files N] [--build DIR] [--seed N] [--keep]
#
# A node with N head files (default 5000) whose labels name alternate-key
# files on $OLD.SALES is made once, and adjusted once without interruption
# to get the reference state. Then, for each trial (default 50):
#   1. a fresh copy of the node is adjusted by keymend, which is killed with
#      SIGKILL at a random moment: after a random number of report lines,
#      or (every tenth trial) within its first 50 ms;
#   2. the catalog must pass PRAGMA integrity_check, keep exactly its files,
#      and hold every row either exactly as before or exactly as in the
#      reference (a label never half adjusted); every file the killed run
#      reported "modified" must be adjusted;
#   3. a second run must finish the rest: "OK" for exactly the files that
#      were already adjusted, "modified" for the others, and leave the
#      catalog equal to the reference.
# The last lines give the figures: trials, kills that landed in the middle
# of a run, files adjusted when killed, rows half written, files lost.
# Exit status 0 when every trial passed.
#
# DIR is a build directory holding driver/keymend and tools/nskfile
# (default build/release, built with its preset when missing).
set -euo pipefail
cd "$(dirname "$0")/.."

trials=50 files=5000 build=build/release seed=$$ keep=0
while (($#)); do
  case $1 in
    --trials) trials=$2; shift 2 ;;
    --files) files=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    *) echo "usage: $0 [--trials N] [--files N] [--build DIR] [--seed N] [--keep]" >&2; exit 2 ;;
  esac
done
if [[ ! -x $build/driver/keymend || ! -x $build/tools/nskfile ]]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target keymend nskfile >/dev/null
  build=build/release
fi
keymend=$(realpath "$build/driver/keymend")
nskfile=$(realpath "$build/tools/nskfile")
command -v sqlite3 >/dev/null || { echo "crash_test: sqlite3 is missing" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/keymend-crash.XXXXXX")
((keep)) || trap 'rm -rf "$work"' EXIT
unset NSK_DEFAULTS NSK_USER NSK_FAULT
RANDOM=$seed
run_keymend() { NSK_ROOT=$1 "$keymend" '$NEW.SALES.*,$NEW.SALES'; }
fail() { echo "crash_test: trial $trial: $*" >&2; failures=$((failures + 1)); }

# ---- The node, before and after an uninterrupted run ----------------------
export NSK_ROOT=$work/pristine
"$nskfile" init >/dev/null
"$nskfile" volume add '$OLD' '$NEW' >/dev/null
"$nskfile" create '$NEW.SALES.T1' --altfile '$OLD.SALES.ALT1' >/dev/null
"$nskfile" create '$NEW.SALES.T2' --altfile '$OLD.SALES.ALT1' --altfile '$OLD.SALES.ALT2' \
  --altfile '$OLD.SALES.ALT3' >/dev/null
"$nskfile" create '$NEW.SALES.T3' --altfile '$OLD.SALES.A1' --altfile '$OLD.SALES.A2' \
  --altfile '$OLD.SALES.A3' --altfile '$OLD.SALES.A4' --altfile '$OLD.SALES.A5' >/dev/null
# Cloned in one transaction: three label shapes, one, three and five names.
sqlite3 "$NSK_ROOT/catalog.db" "
  WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $files)
  INSERT INTO files (volume, subvolume, fileid, file_type, file_code, owner, security, altlist)
  SELECT volume, subvolume, printf('H%05d', i), file_type, file_code, owner, security, altlist
  FROM files, n WHERE fileid = 'T' || (i % 3 + 1);
  DELETE FROM files WHERE fileid GLOB 'T?';"
unset NSK_ROOT
cp -r "$work/pristine" "$work/reference"
start=$(date +%s%N)
run_keymend "$work/reference" >"$work/reference.out"
duration_ms=$((($(date +%s%N) - start) / 1000000))
if [[ $(grep -c '  modified$' "$work/reference.out") -ne $files ]]; then
  echo "crash_test: the uninterrupted run did not modify all $files files" >&2
  exit 1
fi

# Rows of the trial catalog (main) that match neither the pristine one (p)
# nor the reference (r); files of either that it lacks; files it adjusted.
same() { # same ROW-ALIAS DATABASE
  echo "EXISTS (SELECT 1 FROM $2.files o WHERE o.volume = $1.volume AND
    o.subvolume = $1.subvolume AND o.fileid = $1.fileid AND o.file_type = $1.file_type AND
    o.file_code = $1.file_code AND o.owner = $1.owner AND o.security = $1.security AND
    o.altlist = $1.altlist)"
}
named() { # named ROW-ALIAS DATABASE
  echo "EXISTS (SELECT 1 FROM $2.files o WHERE o.volume = $1.volume AND
    o.subvolume = $1.subvolume AND o.fileid = $1.fileid)"
}
check_sql="
  ATTACH '$work/pristine/catalog.db' AS p; ATTACH '$work/reference/catalog.db' AS r;
  SELECT 'mixed', count(*) FROM main.files t WHERE NOT $(same t p) AND NOT $(same t r);
  SELECT 'lost', count(*) FROM p.files t WHERE NOT $(named t main);
  SELECT 'added', count(*) FROM main.files t WHERE NOT $(named t p);
  SELECT 'adjusted', count(*) FROM main.files t WHERE $(same t r) AND NOT $(same t p);"

# ---- Trials ------------------------------------------------------------------
failures=0 landed=0 lost_total=0 mixed_total=0 min_adjusted=$files max_adjusted=0 sum_adjusted=0
for ((trial = 1; trial <= trials; trial++)); do
  node=$work/trial
  rm -rf "$node" && cp -r "$work/pristine" "$node"
  # The moment: mostly after a random number of report lines (plus the
  # jitter of polling), so that kills spread over the whole run however
  # fast the disk is today; every tenth trial within the first 50 ms,
  # while the node is being opened and the search started.
  target=$(((RANDOM * 32768 + RANDOM) % files))
  start=$(date +%s%N)
  # A plain command, so that $! is keymend itself and not a subshell.
  NSK_ROOT=$node "$keymend" '$NEW.SALES.*,$NEW.SALES' >"$work/first.out" 2>"$work/first.err" &
  pid=$!
  if ((trial % 10 == 1)); then
    sleep "0.0$((RANDOM % 5))$((RANDOM % 10))"
  else
    while kill -0 "$pid" 2>/dev/null && (($(wc -l <"$work/first.out") < target + 2)); do
      sleep 0.00$((RANDOM % 5 + 1))
    done
  fi
  kill -KILL "$pid" 2>/dev/null || true
  delay_ms=$((($(date +%s%N) - start) / 1000000))
  status=0
  wait "$pid" 2>/dev/null || status=$?
  if ((status == 137)); then
    landed=$((landed + 1))
  elif ((status != 0)); then
    fail "the run ended with status $status: $(head -c 300 "$work/first.err")"
  fi

  integrity=$(sqlite3 "$node/catalog.db" 'PRAGMA integrity_check;')
  [[ $integrity == ok ]] || fail "integrity_check: $integrity"
  declare -A count=()
  while IFS='|' read -r what n; do count[$what]=$n; done < <(sqlite3 "$node/catalog.db" "$check_sql")
  mixed=${count[mixed]:-x} lost=${count[lost]:-x} added=${count[added]:-x}
  adjusted=${count[adjusted]:-x}
  [[ $mixed == 0 ]] || fail "$mixed rows are neither as before nor fully adjusted"
  [[ $lost == 0 && $added == 0 ]] || fail "files lost: $lost, files added: $added"
  mixed_total=$((mixed_total + ${mixed//x/0})) lost_total=$((lost_total + ${lost//x/0}))
  reported=$(grep -c '  modified$' "$work/first.out" || true)
  # The file at hand when the kill came may be written without its line.
  if ((adjusted < reported || adjusted > reported + 1)); then
    fail "$reported files reported modified, $adjusted adjusted"
  fi
  ((adjusted < min_adjusted)) && min_adjusted=$adjusted
  ((adjusted > max_adjusted)) && max_adjusted=$adjusted
  sum_adjusted=$((sum_adjusted + adjusted))

  # The names already adjusted must be exactly those the second run finds OK.
  sqlite3 "$node/catalog.db" "ATTACH '$work/pristine/catalog.db' AS p;
    SELECT volume || '.' || subvolume || '.' || fileid FROM main.files t
    WHERE NOT $(same t p) ORDER BY 1;" >"$work/adjusted.names"
  status=0
  run_keymend "$node" >"$work/second.out" 2>"$work/second.err" || status=$?
  ((status == 0)) || fail "the second run ended with status $status"
  grep '  OK$' "$work/second.out" | sed 's/[ .]*  OK$//' | sort >"$work/ok.names" || true
  cmp -s "$work/adjusted.names" "$work/ok.names" || fail "the second run's OK lines are not the files already adjusted"
  modified=$(grep -c '  modified$' "$work/second.out" || true)
  ((modified == files - adjusted)) || fail "the second run modified $modified, not $((files - adjusted))"
  while IFS='|' read -r what n; do count[$what]=$n; done < <(sqlite3 "$node/catalog.db" "$check_sql")
  [[ ${count[adjusted]} == "$files" && ${count[mixed]} == 0 ]] ||
    fail "after the second run ${count[adjusted]} of $files files are adjusted"
  printf 'trial %3d: killed after %5d ms, %5d files adjusted, %s\n' "$trial" "$delay_ms" \
    "$adjusted" "$( ((status == 0)) && echo finished || echo 'second run failed')"
done

echo "== crash test: $trials trials on $files head files (a whole run takes $duration_ms ms)"
echo "kills that landed during a run: $landed"
echo "files adjusted when killed: min $min_adjusted, max $max_adjusted, mean $((sum_adjusted / (trials > 0 ? trials : 1)))"
echo "rows half written: $mixed_total"
echo "files lost: $lost_total"
echo "failed checks: $failures"
((failures == 0))
