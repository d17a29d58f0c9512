# SPDX-License-Identifier: MIT
"""Every value a tick prints is a reading of that tick or None, and every tick carries exactly
the faults its own exchanges met: in qvmctl's JSON, in the CSV and in the Python samples."""

import json
import os
import subprocess

import pytest

import qvm

QVMCTL = os.path.join(os.environ.get("QVM_BIN_DIR", ""), "qvmctl")
CHAIN = "daisy:52400x3"
POLL = ["poll", "3", "--interval", "0", "--scan", "all", "--read", "volts", "--read", "temps"]
# A tick: "Scan All", then volts, then temps, each to the three devices in turn.
PER_TICK = 9
CODES = {"crc": "CRCErr_", "nak": "NackResponse_", "short": "NoACK_", "silent": "NoACK_",
         "drop": "PipeComErr_", "seq": "PipeComErr_"}

needs_qvmctl = pytest.mark.skipif(not os.path.exists(QVMCTL), reason="qvmctl not built")


def qvmctl_ticks(*args):
    done = subprocess.run([QVMCTL, "--sim", CHAIN, *args], capture_output=True, text=True,
                          timeout=60)
    return done.returncode, [json.loads(line) for line in done.stdout.splitlines()]


# The columns of the registers the tab definition file defines: pack and twelve cells, the
# internal temperature and four external inputs.
COLUMNS = {"volts": 13, "temps": 5}


def values(readings):
    """{(class, dev, column): value} of a tick's (or sample's) readings."""
    found = {}
    for kind, first, rest in (("volts", "pack", "cells"), ("temps", "internal", "external")):
        for device in readings.get(kind, []):
            row = [device[first], *device[rest]][:COLUMNS[kind]]
            for column, value in enumerate(row):
                found[(kind, device["dev"], column)] = value
    return found


def first_poll_exchange():
    with qvm.open(sim=CHAIN, virtual_time=True) as evb:
        return evb.simulation["exchanges"] + 1


@pytest.fixture(scope="module")
def clean_ticks():
    status, ticks = qvmctl_ticks("--json", *POLL)
    assert status == 0
    return ticks


@needs_qvmctl
@pytest.mark.parametrize("kind", ["crc", "nak", "short", "silent"])
def test_single_fault_sweep(kind, clean_ticks):
    """One fault at each exchange of the first two ticks: the tick that met it is flagged with
    its code, on the device it concerned, and no other tick is (a silent chain stays silent);
    every value printed equals the fault-free run's reading of that tick."""
    first = first_poll_exchange()
    for k in range(2 * PER_TICK):
        status, ticks = qvmctl_ticks("--sim-faults", f"{kind}@{first + k}", "--json", *POLL)
        hit, step = divmod(k, PER_TICK)
        where = f"{kind}@{first + k} (tick {hit + 1}, exchange {step + 1})"
        assert status == 3, where
        assert len(ticks) == 3, where
        for t, tick in enumerate(ticks):
            shown = values(tick)
            flagged = t == hit or (kind == "silent" and t > hit)
            if not flagged:
                assert tick["com_errors"] == "", where
                assert None not in shown.values(), where
                continue
            assert CODES[kind] in tick["com_errors"], where
            read = step >= 3
            if read or t > hit:
                assert None in shown.values(), where
            if t == hit and kind != "silent":
                for device in tick["volts"] + tick["temps"]:
                    concerned = device["dev"] == step % 3 + 1
                    assert (CODES[kind] in device["com_errors"]) == concerned, where
            # A failed scan leaves a device's readings behind the fault-free run's; reads change
            # nothing on the devices.
            if read or t < hit:
                clean = values(clean_ticks[t])
                for key, value in shown.items():
                    assert value is None or value == clean[key], (where, key)


def test_soak_flags_exactly_the_faults_each_tick_met(tmp_path):
    """At 1 to 2 % of each kind, each sample's error codes are those of the faults the simulated
    board injected during its tick, and the CSV row of the tick carries the same codes."""
    csv = tmp_path / "soak.csv"
    faults = "crc=0.02,nak=0.02,short=0.02,drop=0.01,seq=0.01"
    codes = []
    with qvm.open(sim=CHAIN, faults=faults, seed=1, virtual_time=True) as evb:
        before = dict(evb.simulation["injected"])
        poll = evb.poll(count=400, interval_ms=0, scans=["all"], reads=["volts", "temps"],
                        csv=str(csv))
        for sample in poll:
            injected = evb.simulation["injected"]
            expected = {CODES[k] for k, n in injected.items() if n > before.get(k, 0)}
            before = dict(injected)
            met = {code for code in CODES.values() if code in sample["error_codes"]}
            assert met == expected, sample["tick"]
            if None in values(sample).values():
                assert sample["errors"], sample["tick"]
            codes.append(sample["error_codes"])
        assert sum(1 for c in codes if c) > 40
    rows = csv.read_bytes().decode().split("\r\n")[1:-1]
    assert [row.split(",")[2] for row in rows] == codes


@needs_qvmctl
def test_qvmctl_and_python_report_the_same_ticks():
    """The same board, faults and seed give qvmctl's JSON ticks and the Python samples the same
    codes and the same values, None where the tick did not read."""
    faults = "crc=0.03,nak=0.03,short=0.03,drop=0.02"
    status, ticks = qvmctl_ticks("--sim-faults", faults, "--sim-seed", "9", "--json", "poll",
                                 "60", "--interval", "0", "--scan", "all", "--read", "volts",
                                 "--read", "temps")
    assert status == 3
    with qvm.open(sim=CHAIN, faults=faults, seed=9, virtual_time=True) as evb:
        samples = list(evb.poll(count=60, interval_ms=0, scans=["all"],
                                reads=["volts", "temps"]))
    assert [t["com_errors"] for t in ticks] == [s["error_codes"] for s in samples]
    for tick, sample in zip(ticks, samples):
        printed, read = values(tick), values(sample)
        assert printed.keys() == read.keys()
        for key, value in printed.items():
            # JSON prints as the console shows: temperatures to 0.1, volts to 0.0001.
            shown = 0.05 if key[0] == "temps" and key[2] == 0 else 0.00005
            assert (value is None) == (read[key] is None), (tick["tick"], key)
            assert value is None or abs(value - read[key]) <= shown + 1e-9, (tick["tick"], key)
    assert any(None in values(t).values() for t in ticks)


def test_a_poll_across_an_unplug_raises_link_lost():
    first = first_poll_exchange()
    with qvm.open(sim=CHAIN, faults=f"unplug@{first + 40}", virtual_time=True) as evb:
        taken = []
        with pytest.raises(qvm.LinkLostError):
            for sample in evb.poll(count=30, interval_ms=0, scans=["all"], reads=["volts"]):
                taken.append(sample)
        assert 0 < len(taken) < 30
        assert all(None not in values(s).values() for s in taken)
