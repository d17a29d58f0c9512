# SPDX-License-Identifier: MIT
"""A polled run's frame log, decoded as JSON, holds the cell voltages of the run's CSV."""

import csv
import json
import subprocess
import sys
import tempfile
from collections import defaultdict
from pathlib import Path

qvmctl = sys.argv[1]

with tempfile.TemporaryDirectory() as folder:
    log = Path(folder) / "frames.txt"
    table = Path(folder) / "samples.csv"
    subprocess.run([qvmctl, "--sim", "daisy:52400x3+52401x1", "poll", "3", "--interval", "0",
                    "--scan", "all", "--read", "volts", "temps", "faults",
                    "--log", str(log), "--csv", str(table)], check=True, capture_output=True)
    decoded = subprocess.run([qvmctl, "decode", "--json", str(log)], capture_output=True,
                             text=True)
    if decoded.returncode != 0:
        sys.exit(f"decode exited {decoded.returncode}: {decoded.stderr}")
    transactions = [json.loads(line) for line in decoded.stdout.splitlines()]
    with table.open(newline="") as file:
        rows = list(csv.DictReader(file))

logged = defaultdict(list)
for t in transactions:
    if (t["kind"] == "frame" and t["dir"] == "rcvd" and t["type"] == "QVM52400"
            and t["command"] == "read all" and t["page"] == 1 and 1 <= t["adr"] <= 12):
        logged[f"VCell{t['dev']}-{t['adr']}"].append(t["value"])

columns = [name for name in rows[0] if name.startswith("VCell")]
if not columns or sorted(columns) != sorted(logged):
    sys.exit(f"cells in the CSV {sorted(columns)} and in the log {sorted(logged)} differ")
for name in columns:
    recorded = [float(row[name]) for row in rows]
    if logged[name] != recorded:
        sys.exit(f"{name}: the log decodes to {logged[name]}, the CSV holds {recorded}")
print(f"{len(transactions)} transactions; {len(columns)} cells x {len(rows)} samples agree")
