#!/usr/bin/env bash
# KEYMEND at scale, side by side with the baseline (bench/baseline.cc: the
# least work the node's storage allows for the same job), in one run:
#
#   scripts/perf.sh [--sizes "10000 100000 1000000"] [--repeat 3] [--out docs/PERFORMANCE.md]
#
# For each size N a node is generated (bench/make_node.cc: about 10% head
# files, every one of them naming its alternate-key files at $OLD.KEYS) and
# copied twice, one copy for each program. Each repetition starts from fresh
# copies and measures, for both programs one after the other:
#   listonly  '$V*.*.*,$NEW.KEYS,LISTONLY' on the restored node
#   change    '$V*.*.*,$NEW.KEYS': every head file is written back
#   ok        the same again: every line says OK, nothing is written
# Wall time, peak RSS and processor time come from bench/measure.cc; the
# median of the repetitions is reported. The two programs' report lines must agree byte
# for byte (KEYMEND's banner aside), and so must the labels they leave, or
# the run fails. Then the matching benchmark runs, and the report, a table
# and a plot (docs/performance.svg), replaces the measured part of --out;
# the notes around it are kept.
#
# Takes a while at 1,000,000 files (the change case commits 100,000
# transactions per program and repetition): run it by hand, not in CI.
# Nodes live under build/perf/nodes and are removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

sizes="10000 100000 1000000"
repeat=3
out=docs/PERFORMANCE.md
while (($#)); do
  case $1 in
    --sizes) sizes=$2; shift 2 ;;
    --repeat) repeat=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "usage: scripts/perf.sh [--sizes \"N ...\"] [--repeat R] [--out FILE]" >&2; exit 2 ;;
  esac
done
command -v python3 >/dev/null || { echo "perf: needs python3 (apt-get install python3)" >&2; exit 1; }
command -v sqlite3 >/dev/null || { echo "perf: needs sqlite3 (scripts/setup.sh)" >&2; exit 1; }

build=build/perf
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKEYMEND_SANITIZE=OFF >/dev/null
cmake --build "$build" -j2 --target keymend make_node baseline measure string_match_bench >/dev/null

work=$build/nodes
results=$build/perf-results.tsv
rm -rf "$work"
mkdir -p "$work"
: >"$results"
template='$V*.*.*'
location='$NEW.KEYS'

# run PROGRAM CASE N REP NODE: one measured run, its report lines kept.
run() {
  local program=$1 case=$2 n=$3 rep=$4 node=$5 listonly=() meter=$work/meter
  [[ $case == listonly ]] && listonly=(LISTONLY)
  rm -f "$meter"
  if [[ $program == keymend ]]; then
    local param="$template,$location"
    [[ $case == listonly ]] && param+=",LISTONLY"
    NSK_ROOT=$node NSK_DEFAULTS='$V1.USER' \
      "$build/bench/measure" "$meter" "$build/driver/keymend" "$param" >"$work/$program.$case.out"
    # The banner is KEYMEND's alone.
    sed -i 1,2d "$work/$program.$case.out"
  else
    "$build/bench/measure" "$meter" "$build/bench/baseline" "$node" '$V' "$location" \
      "${listonly[@]}" >"$work/$program.$case.out"
  fi
  read -r seconds rss status cpu <"$meter"
  if ((status != 0)); then
    echo "perf: $program $case at N=$n ended with status $status" >&2
    exit 1
  fi
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$n" "$case" "$program" "$rep" "$seconds" "$rss" "$cpu" \
    >>"$results"
}

labels() { sqlite3 "$1/catalog.db" 'SELECT hex(altlist) FROM files ORDER BY id' | md5sum; }

for n in $sizes; do
  echo "== N=$n: generating the node" >&2
  "$build/bench/make_node" "$work/$n" "$n" >/dev/null
  for rep in $(seq "$repeat"); do
    rm -rf "$work/k" "$work/b"
    cp -r "$work/$n" "$work/k"
    cp -r "$work/$n" "$work/b"
    for case in listonly change ok; do
      echo "   rep $rep: $case" >&2
      run keymend "$case" "$n" "$rep" "$work/k"
      run baseline "$case" "$n" "$rep" "$work/b"
      if ! cmp -s "$work/keymend.$case.out" "$work/baseline.$case.out"; then
        echo "perf: KEYMEND and the baseline report differently ($case, N=$n):" >&2
        diff "$work/keymend.$case.out" "$work/baseline.$case.out" | head -5 >&2
        exit 1
      fi
    done
    if [[ $(labels "$work/k") != $(labels "$work/b") ]]; then
      echo "perf: KEYMEND and the baseline left different labels (N=$n)" >&2
      exit 1
    fi
  done
  rm -rf "$work/$n" "$work/k" "$work/b"
done

echo "== the matching benchmark" >&2
"$build/bench/string_match_bench" --benchmark_min_time=0.2 --benchmark_format=json \
  >"$build/match-bench.json" 2>/dev/null

command_line="scripts/perf.sh --sizes \"$sizes\" --repeat $repeat"
python3 - "$results" "$build/match-bench.json" "$out" "$command_line" <<'PY'
import json, statistics, sys, os, datetime

results, match_json, out, command = sys.argv[1:5]
rows = {}
for line in open(results):
    n, case, program, rep, seconds, rss, cpu = line.split()
    rows.setdefault((int(n), case, program), []).append((float(seconds), int(rss), float(cpu)))
sizes = sorted({k[0] for k in rows})
cases = ["listonly", "change", "ok"]
case_text = {"listonly": "LISTONLY", "change": "every head file changes", "ok": "nothing to change"}

def med(n, case, program, what):
    values = [v["tmc".index(what)] for v in rows[(n, case, program)]]
    return statistics.median(values)

lines = []
lines.append("Measured %s on this machine (%d cores, %s) with `%s`; medians of %d runs."
             % (datetime.date.today().isoformat(), os.cpu_count(), os.uname().release, command,
                len(rows[(sizes[0], "ok", "keymend")])))
lines.append("")
lines.append("| N | case | KEYMEND s | baseline s | ratio | KEYMEND µs/file | baseline µs/file "
             "| KEYMEND peak RSS MiB | baseline peak RSS MiB | KEYMEND cpu s | baseline cpu s |")
lines.append("|---:|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
for n in sizes:
    for case in cases:
        k, b = med(n, case, "keymend", "t"), med(n, case, "baseline", "t")
        kr, br = med(n, case, "keymend", "m") / 1024, med(n, case, "baseline", "m") / 1024
        kc, bc = med(n, case, "keymend", "c"), med(n, case, "baseline", "c")
        lines.append("| %s | %s | %.3f | %.3f | %.2f | %.2f | %.2f | %.1f | %.1f | %.3f | %.3f |"
                     % (f"{n:,}", case_text[case], k, b, k / b, 1e6 * k / n, 1e6 * b / n, kr, br,
                        kc, bc))
lines.append("")

goals = []
def goal(text, value, limit, ok):
    goals.append("| %s | %s | %s | %s |" % (text, value, limit, "met" if ok else "**not met**"))

if 100000 in sizes:
    for case in cases:
        r = med(100000, case, "keymend", "t") / med(100000, case, "baseline", "t")
        goal("KEYMEND / baseline at 100,000, %s" % case_text[case], "%.2f" % r, "≤ 1.5", r <= 1.5)
if 100000 in sizes and 1000000 in sizes:
    for program in ("keymend", "baseline"):
        for case in cases:
            r = med(1000000, case, program, "t") / med(100000, case, program, "t")
            c = med(1000000, case, program, "c") / med(100000, case, program, "c")
            goal("t(1M) / t(100k), %s, %s" % ("KEYMEND" if program == "keymend" else "baseline",
                                              case_text[case]),
                 "%.2f (cpu %.2f)" % (r, c), "≤ 11" if program == "keymend" else "(for comparison)",
                 r <= 11 or program != "keymend")
if 10000 in sizes and 1000000 in sizes:
    for case in cases:
        r = med(1000000, case, "keymend", "m") / med(10000, case, "keymend", "m")
        goal("KEYMEND peak RSS(1M) / RSS(10k), %s" % case_text[case], "%.3f" % r, "≤ 1.1",
             r <= 1.1)

bench = {b["name"]: b["cpu_time"] for b in json.load(open(match_json))["benchmarks"]}
for group in ("Typical", "Adversarial"):
    base = bench["BM_%s_fnmatch" % group]
    for fn in ("STRINGMATCH", "STRINGMATCHX"):
        r = bench["BM_%s_%s" % (group, fn)] / base
        goal("%s / fnmatch, %s patterns" % (fn, group.lower()), "%.2f" % r, "≤ 2", r <= 2)

lines.append("| goal | measured | limit | |")
lines.append("|---|---:|---:|---|")
lines.extend(goals)
lines.append("")
lines.append("![time and peak RSS against N](performance.svg)")
measured = "\n".join(lines)

# The plot: time (log-log) and peak RSS against N, both programs, every case.
W, H, M = 900, 380, 60
colors = {"listonly": "#1b6ca8", "change": "#c0392b", "ok": "#27864a"}
import math
def panel(x0, title, what, log_y):
    values = [med(n, c, p, what) / (1 if what == "t" else 1024)
              for n in sizes for c in cases for p in ("keymend", "baseline")]
    lo, hi = min(values), max(values)
    if log_y:
        lo, hi = math.log10(lo) - 0.1, math.log10(hi) + 0.1
    else:
        lo, hi = 0, hi * 1.15
    lx = [math.log10(n) for n in sizes]
    xlo, xhi = min(lx) - 0.2, max(lx) + 0.2
    pw, ph = W / 2 - M - 20, H - 2 * M
    def px(n): return x0 + M + (math.log10(n) - xlo) / (xhi - xlo) * pw
    def py(v):
        v = math.log10(v) if log_y else v
        return M + ph - (v - lo) / (hi - lo) * ph
    s = ['<rect x="%d" y="%d" width="%d" height="%d" fill="none" stroke="#888"/>'
         % (x0 + M, M, pw, ph),
         '<text x="%d" y="%d" font-size="14" text-anchor="middle">%s</text>'
         % (x0 + M + pw / 2, M - 12, title)]
    for n in sizes:
        s.append('<text x="%.1f" y="%d" font-size="11" text-anchor="middle">%s</text>'
                 % (px(n), M + ph + 16, f"{n:,}"))
    ticks = []
    if log_y:
        e = math.floor(lo)
        while e <= hi:
            for m in (1, 2, 5):
                v = m * 10 ** e
                if lo <= math.log10(v) <= hi: ticks.append(v)
            e += 1
    else:
        step = max(1, round(hi / 5))
        ticks = [i * step for i in range(int(hi / step) + 1)]
    for v in ticks:
        s.append('<line x1="%d" x2="%d" y1="%.1f" y2="%.1f" stroke="#eee"/>'
                 % (x0 + M, x0 + M + pw, py(v), py(v)))
        s.append('<text x="%d" y="%.1f" font-size="11" text-anchor="end">%g</text>'
                 % (x0 + M - 4, py(v) + 4, v))
    for c in cases:
        for p in ("keymend", "baseline"):
            pts = " ".join("%.1f,%.1f" % (px(n), py(med(n, c, p, what) /
                                                     (1 if what == "t" else 1024)))
                           for n in sizes)
            dash = "" if p == "keymend" else ' stroke-dasharray="6,4"'
            s.append('<polyline points="%s" fill="none" stroke="%s" stroke-width="2"%s/>'
                     % (pts, colors[c], dash))
            for n in sizes:
                v = med(n, c, p, what) / (1 if what == "t" else 1024)
                s.append('<circle cx="%.1f" cy="%.1f" r="3" fill="%s"/>' % (px(n), py(v), colors[c]))
    s.append('<text x="%d" y="%d" font-size="12" text-anchor="middle">N (files)</text>'
             % (x0 + M + pw / 2, H - 18))
    return s

svg = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" font-family="sans-serif">'
       % (W, H + 50), '<rect width="100%" height="100%" fill="white"/>']
svg += panel(0, "wall time, s (log scale)", "t", True)
svg += panel(W // 2, "peak RSS, MiB", "m", False)
# The legend: one row per program, one column per case.
for row, p in enumerate(("keymend", "baseline")):
    y = H + 10 + 20 * row
    for col, c in enumerate(cases):
        x = M + 270 * col
        dash = "" if p == "keymend" else ' stroke-dasharray="6,4"'
        svg.append('<line x1="%d" x2="%d" y1="%d" y2="%d" stroke="%s" stroke-width="2"%s/>'
                   % (x, x + 24, y, y, colors[c], dash))
        svg.append('<text x="%d" y="%d" font-size="11">%s, %s</text>'
                   % (x + 30, y + 4, "KEYMEND" if p == "keymend" else "baseline", case_text[c]))
svg.append("</svg>")
open(os.path.join(os.path.dirname(out) or ".", "performance.svg"), "w").write("\n".join(svg) + "\n")

begin, end = "<!-- measured: written by scripts/perf.sh -->", "<!-- end of measured -->"
text = open(out).read() if os.path.exists(out) else "# Performance at scale\n\n%s\n%s\n" % (begin, end)
if begin not in text or end not in text:
    text += "\n%s\n%s\n" % (begin, end)
head, rest = text.split(begin, 1)
_, tail = rest.split(end, 1)
open(out, "w").write(head + begin + "\n" + measured + "\n" + end + tail)
print("\n".join(goals))
PY
rm -rf "$work"
echo "== written: $out and $(dirname "$out")/performance.svg" >&2
