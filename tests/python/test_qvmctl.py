# SPDX-License-Identifier: MIT
"""qvmctl's JSON output and its streamed poll records, read the way shell pipelines read them."""

import datetime
import json
import os
import re
import signal
import subprocess
import time

import pytest

QVMCTL = os.path.join(os.environ.get("QVM_BIN_DIR", ""), "qvmctl")

pytestmark = pytest.mark.skipif(not os.path.exists(QVMCTL), reason="qvmctl not built")


def qvmctl(*args):
    done = subprocess.run([QVMCTL, *args], capture_output=True, text=True, timeout=60)
    assert done.returncode == 0, done.stderr
    return done.stdout


def test_json_documents():
    # The frames and the activity log go to stderr; stdout stays one JSON document.
    volts = json.loads(qvmctl("--sim", "daisy:52400x3", "--frames", "--json", "readall", "volts",
                              "--scan", "-v"))
    assert [d["dev"] for d in volts] == [1, 2, 3]
    assert all(len(d["cells"]) == 12 and 30 < d["pack"] < 60 for d in volts)
    setups = json.loads(qvmctl("--sim", "daisy:52400x2+52401x2", "--json", "readall", "setups"))
    assert [d["type"] for d in setups] == ["QVM52400"] * 2 + ["QVM52401"] * 2
    assert setups[0]["registers"]["0x90"] == 0x1AE1 and setups[2]["registers"]["0x90"] is None
    assert json.loads(qvmctl("--sim", "daisy:52400x2+52401x1", "--json", "identify")) == {
        "QVM52400": 2, "QVM52401": 1}
    assert json.loads(qvmctl("--sim", "single:38817", "--json", "identify")) == {"QVM38817": 1}
    assert json.loads(qvmctl("--sim", "daisy:52400x3", "--json", "read", "2", "2", "0x10")) == {
        "type": 0, "dev": 2, "page": 2, "adr": 16, "value": 0x1AE1}
    assert json.loads(qvmctl("--sim", "daisy:52400x1", "--json", "boards"))[0]["index"] == 0


def test_json_poll_prints_one_object_per_tick():
    start = datetime.datetime.now(datetime.timezone.utc)
    out = qvmctl("--sim", "daisy:52400x2", "--json", "poll", "3", "--interval", "0", "--scan",
                 "all", "--read", "volts", "--read", "temps")
    end = datetime.datetime.now(datetime.timezone.utc)
    ticks = [json.loads(line) for line in out.splitlines()]
    assert [t["tick"] for t in ticks] == [1, 2, 3]
    assert all(t["com_errors"] == "" and len(t["volts"]) == 2 and len(t["temps"]) == 2
               for t in ticks)
    # ISO 8601 in UTC to the millisecond, taken as the tick ran.
    times = [datetime.datetime.fromisoformat(t["time"].replace("Z", "+00:00")) for t in ticks]
    assert all(re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z", t["time"]) for t in ticks)
    assert start - datetime.timedelta(milliseconds=1) <= times[0] <= times[-1] <= end


# A poll with a count stopped by Ctrl-C fails with 128 + 2; one without a count or duration runs
# until Ctrl-C, which ends it as asked.
@pytest.mark.parametrize("count, status", [(["100000"], 130), ([], 0)])
def test_ctrl_c_leaves_complete_rows_and_the_stop_marker(tmp_path, count, status):
    csv = tmp_path / "run.csv"
    log = tmp_path / "run.txt"
    run = subprocess.Popen([QVMCTL, "--sim", "daisy:52400x2", "poll", *count, "--interval",
                            "20", "--scan", "all", "--read", "volts", "--csv", str(csv), "--log",
                            str(log)], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        if csv.exists() and csv.read_bytes().count(b"\r\n") >= 4:
            break
        time.sleep(0.02)
    run.send_signal(signal.SIGINT)
    out, err = run.communicate(timeout=30)
    assert run.returncode == status, err
    assert "stopped by signal 2" in err
    rows = csv.read_bytes().decode().split("\r\n")
    assert rows[-1] == ""
    rows = rows[:-1]
    assert len(rows) >= 4
    assert {row.count(",") for row in rows} == {rows[0].count(",")}
    lines = out.splitlines()
    assert lines[-1] == f"{len(rows) - 1} ticks, {len(rows) - 1} chart samples"
    assert len(lines) == len(rows) and all(line.startswith("tick ") for line in lines[:-1])
    assert log.read_bytes().decode().split("\r\n")[-2].startswith("[Logging Stopped: ")
