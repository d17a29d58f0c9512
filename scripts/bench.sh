#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the benchmarks in Release (build-release/) and prints one table: each figure (minimum
# and median of several runs) beside its floor measured in the same run, their ratio and the goal.
# Usage: scripts/bench.sh [repetitions]   (default 5)
# QVM_BENCH_BUILD=folder uses an already configured build folder instead.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QVM_BENCH_BUILD:-}"
reps="${1:-5}"
if [ -z "$build" ]; then
  build="$root/build-release"
  launcher=()
  if command -v ccache > /dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQVM_BUILD_TESTS=OFF \
    "${launcher[@]}" > /dev/null
fi
cmake --build "$build" -j"$(nproc)" --target exchange_benchmark poll_tick_benchmark \
  records_benchmark console_benchmark chart_window_benchmark console_run_benchmark qvm-console \
  qvmctl decode_benchmark > /dev/null

bin="$build/bin"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen
run() {
  local name="$1"
  shift
  echo "running $name ..." >&2
  "$bin/$name" --benchmark_repetitions="$reps" --benchmark_format=json "$@" \
    > "$out/$name.json"
}
run exchange_benchmark
# Repetitions interleaved, so that the tick with and without publishing meet the same machine.
run poll_tick_benchmark --benchmark_enable_random_interleaving=true
run records_benchmark --benchmark_filter='Export|Floor'
# Interleaved too: the console's tick and qvmctl's are compared as they meet the same machine.
run console_benchmark --benchmark_enable_random_interleaving=true
run chart_window_benchmark --benchmark_filter='AxisMoved|PlainReplot' --benchmark_enable_random_interleaving=true
# The programs as a user runs them: each run polls for 8 s at two intervals, so once is enough.
reps=1 run console_run_benchmark
# A 1 GB generated log, decoded once per run; written to the temporary folder and deleted.
reps=1 run decode_benchmark
for kind in full floor; do
  for _ in $(seq "$reps"); do "$bin/console_benchmark" --rss-$kind >> "$out/rss_$kind.txt"; done
done

python3 - "$out" << 'EOF'
import json, statistics, sys, os

out = sys.argv[1]
runs = {}
errors = {}
for name in os.listdir(out):
    if not name.endswith(".json"):
        continue
    for b in json.load(open(os.path.join(out, name)))["benchmarks"]:
        parts = [p for p in b["run_name"].split("/")
                 if not p.startswith(("iterations:", "repeats:")) and not p.endswith("_time")]
        key = name[:-5] + ":" + "/".join(parts)
        if b.get("error_occurred"):
            errors[key] = b.get("error_message", "failed")
            continue
        if b.get("run_type", "iteration") != "iteration":
            continue
        runs.setdefault(key, []).append(b)

SCALE = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}

def ms(name, field="real_time"):
    return [b[field] * SCALE[b["time_unit"]] for b in runs.get(name, [])]

def counter(name, key):
    return [b[key] for b in runs.get(name, []) if key in b]

def mb(kind):
    path = os.path.join(out, "rss_%s.txt" % kind)
    return [int(line) / 1024 for line in open(path) if line.strip()]

def stat(values):
    return (min(values), statistics.median(values)) if values else (float("nan"),) * 2

rows = []
def row(what, values, unit, floor, goal, limit, ratio_goal=True, note=""):
    lo, med = stat(values)
    flo, fmed = stat(floor) if floor else (None, None)
    ratio = med / fmed if floor else None
    met = (ratio if ratio_goal else med) <= limit
    fmt = lambda v: "%.3g %s" % (v, unit)
    rows.append((what, "%s / %s" % (fmt(lo), fmt(med)),
                 fmt(fmed) if floor else "-",
                 "%.2fx" % ratio if ratio is not None else "-", goal,
                 ("yes" if met else "NO") + (" " + note if note else "")))

row("one packet exchange, wall", ms("exchange_benchmark:BM_PacketExchange"), "ms",
    ms("exchange_benchmark:BM_Floor_Sleep2ms"), "<= 1.05x", 1.05)
row("one exchange, CPU", ms("exchange_benchmark:BM_PacketExchange", "cpu_time"), "ms",
    ms("exchange_benchmark:BM_Floor_Sleep2ms", "cpu_time"), "<= 1.2x", 1.2)
row("14-device tick, qvmctl", ms("poll_tick_benchmark:BM_QvmctlPollTick14"), "ms",
    ms("poll_tick_benchmark:BM_Floor_TickWaits"), "<= 1.10x", 1.10)
published = "poll_tick_benchmark:BM_QvmctlTick14_PublishingMqtt"
unpublished = "poll_tick_benchmark:BM_QvmctlTick14_WithoutMqtt"
what = "publishing to MQTT, 14-device tick, against the same tick without"
if ms(published) and ms(unpublished):
    row(what, ms(published), "ms", ms(unpublished), "<= 1.02x", 1.02)
    cpu, base = counter(published, "cpu_ms_per_tick"), counter(unpublished, "cpu_ms_per_tick")
    lo, med = stat(cpu)
    rows.append(("the same, CPU per tick (the publisher's thread included)",
                 "%.3g ms / %.3g ms" % (lo, med), "%.3g ms" % stat(base)[1],
                 "%.2fx" % (med / stat(base)[1]), "(shown)", "-"))
else:
    reason = errors.get(published) or errors.get(unpublished) or "no figure"
    print("skipped: %s: %s" % (what, reason))
    rows.append((what, "-", "-", "-", "<= 1.02x", "skipped (%s)" % reason))
gaps = counter("console_benchmark:BM_ConsoleTick14", "max_gap_ms")
first = counter("console_benchmark:BM_ConsoleTick14", "first_ms")
row("the same tick in the console", ms("console_benchmark:BM_ConsoleTick14"), "ms",
    ms("console_benchmark:BM_Floor_TickWaits"), "<= 1.15x, gaps <= 50 ms", 1.15,
    note="(first tick %.0f ms, longest event gap %.0f ms)" % (
        statistics.median(first) if first else float("nan"), max(gaps) if gaps else float("nan")))
if gaps and max(gaps) > 50:
    rows[-1] = rows[-1][:5] + ("NO " + rows[-1][5].split(" ", 1)[1],)
row("console CPU per 14-device tick, against qvmctl's",
    counter("console_benchmark:BM_ConsoleTick14", "cpu_ms_per_tick"), "ms",
    counter("console_benchmark:BM_QvmctlTick14", "cpu_ms_per_tick"), "<= 3x", 3.0)
row("CSV export of a full store (14 devices)",
    ms("records_benchmark:BM_ExportFullStore"), "ms",
    ms("records_benchmark:BM_Floor_WriteExportBytes"), "<= 3x", 3.0)
drops = {}
for name in runs:
    if name.startswith("console_benchmark:BM_ChartDrop/"):
        drops[name.split("/")[1]] = statistics.median(ms(name))
worst = max(drops, key=drops.get) if drops else None
row("chart window, 600-sample drop (worst span)",
    ms("console_benchmark:BM_ChartDrop/%s" % worst) if worst else [], "ms", None,
    "<= 16 ms at every span", 16.0, ratio_goal=False,
    note="(slider position %s)" % worst if worst else "")
row("console RSS, 14+14, full store, chart open", mb("full"), "MB", mb("floor"), "<= 80 MB",
    80.0, ratio_goal=False)
row("chart axis move against a plain replot of the same drawn points",
    ms("chart_window_benchmark:BM_ChartRedrawAxisMoved"), "ms",
    ms("chart_window_benchmark:BM_PlainReplotDrawnPoints"), "<= 1.3x", 1.3)
waits = statistics.median(ms("console_run_benchmark:BM_ProtocolWaits") or [0.0])
row("console start-up to a connected picture, less the protocol's waits (%.0f ms)" % waits,
    [v - waits for v in ms("console_run_benchmark:BM_Startup")], "ms",
    ms("console_run_benchmark:BM_Floor_MinimalWindow"), "<= 4x an empty window its size", 4.0)
for name, what in (("BM_DecodeLog", "frame log decode, 1 GB generated log"),
                   ("BM_DecodeLogToJson", "the same printed as JSON (qvmctl decode --json)")):
    rate = counter("decode_benchmark:" + name, "MB_per_s")
    floor = counter("decode_benchmark:BM_Floor_ReadLines", "MB_per_s")
    rss = counter("decode_benchmark:" + name, "peak_rss_MB")
    growth = counter("decode_benchmark:" + name, "rss_growth_MB")
    if not rate:
        rows.append((what, "-", "-", "-", ">= 100 MB/s, constant memory", "NO (no figure)"))
        continue
    rows.append((what, "%.0f MB/s, peak RSS %.1f MB (+%.1f MB)" % (rate[0], rss[0], growth[0]),
                 "%.0f MB/s (lines only)" % floor[0] if floor else "-",
                 "%.2fx" % (floor[0] / rate[0]) if floor else "-",
                 ">= 100 MB/s, constant memory",
                 "yes" if rate[0] >= 100 and growth[0] < 16 else "NO"))
def rate_row(interval, what, goal, met):
    name = "console_run_benchmark:BM_SampleRate/%d" % interval
    console = counter(name, "console_per_s")
    qvmctl = counter(name, "qvmctl_per_s")
    period = counter(name, "console_period_ms")
    if not console or not qvmctl:
        rows.append((what, "-", "-", "-", goal, "NO (no figure)"))
        return
    ratio = console[0] / qvmctl[0]
    rows.append((what, "%.2f /s, one every %.1f ms" % (console[0], period[0]),
                 "%.2f /s (qvmctl)" % qvmctl[0], "%.2fx" % ratio, goal,
                 "yes" if met(ratio, period[0]) else "NO"))
rate_row(50, "console samples per second at 50 ms, against qvmctl's", ">= 0.87x",
         lambda ratio, period: ratio >= 0.87)
rate_row(500, "console period at 500 ms", "500 +- 25 ms",
         lambda ratio, period: abs(period - 500) <= 25)

head = ("what", "measured (min / median)", "floor", "ratio", "goal", "met")
widths = [max(len(str(r[i])) for r in rows + [head]) for i in range(len(head))]
line = lambda r: "  ".join(str(c).ljust(w) for c, w in zip(r, widths)).rstrip()
print(line(head))
print("  ".join("-" * w for w in widths))
for r in rows:
    print(line(r))
if drops:
    print("chart drop by slider position (median ms): " +
          ", ".join("%s: %.1f" % (k, drops[k]) for k in sorted(drops, key=int)))
EOF
