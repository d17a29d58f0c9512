# SPDX-License-Identifier: MIT
"""Polling from Python: samples, the chart store, streamed records, Ctrl-C, publishing."""

import errno
import json
import os
import signal
import subprocess
import sys
import threading

import numpy as np
import pytest

import qvm
from conftest import BROKER_PROGRAM, Broker, Subscriber, free_port


def csv_rows(path):
    with open(path, newline="") as f:
        text = f.read()
    assert text.endswith("\r\n")
    return text.split("\r\n")[:-1]


def test_poll_yields_samples_on_the_interval(evb):
    samples = list(evb.poll(count=5, interval_ms=250, scans=["all"], reads=["volts", "temps"]))
    assert [s["tick"] for s in samples] == [1, 2, 3, 4, 5]
    starts = [s["time_ms"] for s in samples]
    assert all(b - a == 250 for a, b in zip(starts, starts[1:]))
    assert samples[-1]["elapsed_min"] == pytest.approx(1.0 / 60.0, abs=0.002)
    assert all(s["errors"] == 0 and s["error_codes"] == "" for s in samples)
    assert len(samples[0]["volts"]) == 3 and len(samples[0]["temps"]) == 3


def test_chart_store_holds_the_polled_voltages(evb):
    with pytest.raises(qvm.Error, match="no poll"):
        evb.chart_store()
    last = None
    for last in evb.poll(count=40, interval_ms=100, scans=["all"]):
        pass
    store = evb.chart_store()
    assert store["elapsed_min"].shape == (40,)
    # One column per device of the chain, device 1 first.
    assert store["cells_raw"].shape == (40, 3, 12)
    assert store["pack_volts"].shape == store["fault_status_b"].shape == (40, 3)
    assert store["cells_raw"].dtype == np.int16
    assert np.all(np.diff(store["elapsed_min"]) > 0)
    assert not store["com_errors"].any()
    for device in last["volts"]:
        assert store["cell_volts"][-1, device["dev"] - 1, :] == pytest.approx(device["cells"])
        assert store["pack_volts"][-1, device["dev"] - 1] == pytest.approx(device["pack"])


def test_poll_streams_every_row_and_the_log(evb, tmp_path):
    csv = tmp_path / "run.csv"
    log = tmp_path / "run.txt"
    ticks = 0
    for ticks, sample in enumerate(
            evb.poll(count=50, interval_ms=100, scans=["all"], csv=str(csv), log=str(log)), 1):
        if ticks == 20:
            # Rows are on disk as soon as they are taken.
            assert len(csv_rows(csv)) == 21
    rows = csv_rows(csv)
    assert rows[0].startswith("TimeStamp,Elapsed(min),ComErrors,VCell1-1,")
    assert len(rows) == 51
    assert {row.count(",") for row in rows} == {rows[0].count(",")}
    text = log.read_text()
    assert text.startswith("[Logging Started: ")
    assert text.rstrip().endswith("]") and "[Logging Stopped: " in text


def test_ctrl_c_while_waiting_leaves_complete_files(tmp_path):
    csv = tmp_path / "stopped.csv"
    log = tmp_path / "stopped.txt"
    # Real time: Ctrl-C arrives while the poll waits for its next tick.
    with qvm.open(sim="daisy:52400x2") as evb:
        poll = evb.poll(interval_ms=150, scans=["all"], csv=str(csv), log=str(log))
        timer = threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGINT))
        timer.start()
        with pytest.raises(KeyboardInterrupt):
            for _ in poll:
                pass
        timer.join()
        rows = csv_rows(csv)
        assert len(rows) == poll.samples + 1 and poll.samples >= 2
        assert {row.count(",") for row in rows} == {rows[0].count(",")}
        assert log.read_bytes().decode().split("\r\n")[-2].startswith("[Logging Stopped: ")
        # The board goes on working after the interrupted run.
        assert len(evb.read_all("volts")) == 2


def test_leaving_the_loop_early_closes_the_files(evb, tmp_path):
    log = tmp_path / "early.txt"
    with evb.poll(interval_ms=100, scans=["all"], log=str(log)) as poll:
        for sample in poll:
            if sample["tick"] == 3:
                break
    assert "[Logging Stopped: " in log.read_text()
    assert list(poll) == []


def test_refused_record_file_raises(evb, tmp_path):
    with pytest.raises(qvm.FileRefusedError):
        evb.poll(count=1, csv=str(tmp_path / "missing-folder" / "x.csv"))
    with pytest.raises(ValueError, match="reads takes"):
        evb.poll(count=1, reads=["pressure"])


def test_balancing_example_runs(tmp_path):
    source = os.environ.get("QVM_SOURCE_DIR")
    if not source:
        pytest.skip("QVM_SOURCE_DIR not set")
    csv = tmp_path / "study.csv"
    done = subprocess.run(
        [sys.executable, os.path.join(source, "examples", "balancing_study.py"),
         "--balance-minutes", "1", "--rest-minutes", "0.5", "--csv", str(csv),
         "--png", str(tmp_path / "study.png")],
        capture_output=True, text=True, timeout=120)
    assert done.returncode == 0, done.stderr
    assert done.stdout.count("balanced cells") == 3
    # One minute at 2 s, after the header.
    assert len(csv_rows(csv)) == 31


def published(subscriber, topic, count):
    """The JSON messages on `topic` once `count` have come (or the wait ran out)."""
    received = subscriber.wait_for(
        lambda messages: sum(t == topic for t, _ in messages) >= count)
    return [json.loads(payload) for t, payload in received if t == topic]


def test_poll_publishes_every_tick_as_qvmctl_json(evb, broker):
    subscriber = Subscriber(broker.port, "lab/#")
    try:
        poll = evb.poll(count=4, interval_ms=100, scans=["all"], reads=["volts", "faults"],
                        mqtt=broker.url("lab/rig1"), rig="rig1")
        assert poll.mqtt_status == "MQTT: connected"
        samples = list(poll)
        messages = published(subscriber, "lab/rig1", 4)
        status = subscriber.wait_for(
            lambda m: (("lab/rig1/status", b'{"rig":"rig1","state":"offline"}') in m))
    finally:
        subscriber.close()
    assert [m["tick"] for m in messages] == [1, 2, 3, 4]
    for message, sample in zip(messages, samples):
        # qvmctl poll --json's object, with the rig, the board and the chain.
        assert list(message) == ["tick", "time_ms", "time", "com_errors", "volts", "faults",
                                 "rig", "board", "chain"]
        assert (message["rig"], message["board"], message["chain"]) == (
            "rig1", "SIM-0001", "daisy:52400x3")
        assert message["time_ms"] == sample["time_ms"]
        assert message["com_errors"] == sample["error_codes"]
        for device, reading in zip(message["volts"], sample["volts"]):
            assert device["dev"] == reading["dev"]
            # Printed as the console shows them, to 0.1 mV.
            assert device["pack"] == pytest.approx(reading["pack"], abs=5e-5)
            assert device["cells"] == pytest.approx(reading["cells"], abs=5e-5)
        assert len(message["faults"]) == 3 and all(d["registers"] for d in message["faults"])
    assert ("lab/rig1/status", b'{"rig":"rig1","state":"online"}') in status


def test_absent_broker_warns_polls_on_and_raises_with_the_count(evb, tmp_path):
    csv = tmp_path / "away.csv"
    url = f"mqtt://127.0.0.1:{free_port()}/lab/rig1"
    with pytest.warns(qvm.PublishWarning, match=f"the broker {url} does not answer"):
        poll = evb.poll(count=3, interval_ms=100, scans=["all"], csv=str(csv), mqtt=url)
    ticks = []
    with pytest.raises(qvm.PublishError, match="3 samples were not delivered") as raised:
        for sample in poll:
            ticks.append(sample["tick"])
    assert isinstance(raised.value, qvm.Error)
    # Polling went on and the file is complete before the error.
    assert ticks == [1, 2, 3]
    assert len(csv_rows(csv)) == 4
    assert list(poll) == []


def test_mqtt_settings_are_checked_before_anything_is_polled(evb, tmp_path):
    csv = tmp_path / "never.csv"
    for bad in ("tcp://127.0.0.1/lab", "mqtt://127.0.0.1/lab/#", "mqtt://127.0.0.1:0/lab"):
        with pytest.raises(ValueError, match="mqtt: "):
            evb.poll(count=1, csv=str(csv), mqtt=bad)
    with pytest.raises(ValueError, match="mqtt_qos"):
        evb.poll(count=1, csv=str(csv), mqtt="mqtt://127.0.0.1/lab", mqtt_qos=2)
    with pytest.raises(ValueError, match="need a broker"):
        evb.poll(count=1, csv=str(csv), rig="rig1")
    with pytest.raises(qvm.FileRefusedError) as raised:
        evb.poll(count=1, csv=str(csv), mqtt="mqtt://127.0.0.1/lab",
                 mqtt_password_file=str(tmp_path / "missing"))
    assert raised.value.errno == errno.ENOENT
    assert not csv.exists()


def test_the_password_comes_from_a_file_or_the_environment(evb, tmp_path, monkeypatch):
    if not os.access(BROKER_PROGRAM, os.X_OK):
        pytest.skip(f"{BROKER_PROGRAM} is not installed")
    broker = Broker(users={"rig": "s3cret", "watch": "w"})
    try:
        subscriber = Subscriber(broker.port, "lab/#", user="watch", password="w")
        password = tmp_path / "password"
        password.write_text("s3cret\n")
        try:
            list(evb.poll(count=2, interval_ms=100, mqtt=broker.url("lab/a"), mqtt_user="rig",
                          mqtt_password_file=str(password)))
            monkeypatch.setenv("QVM_MQTT_PASSWORD", "s3cret")
            list(evb.poll(count=2, interval_ms=100, mqtt=broker.url("lab/b"), mqtt_user="rig"))
            assert len(published(subscriber, "lab/a", 2)) == 2
            assert len(published(subscriber, "lab/b", 2)) == 2
        finally:
            subscriber.close()
        # A wrong password is refused like an absent broker: a warning, then the count.
        monkeypatch.setenv("QVM_MQTT_PASSWORD", "wrong")
        with pytest.warns(qvm.PublishWarning, match="not authori[sz]ed"):
            poll = evb.poll(count=1, mqtt=broker.url("lab/c"), mqtt_user="rig")
        with pytest.raises(qvm.PublishError, match="1 samples were not delivered"):
            list(poll)
    finally:
        broker.stop()
