# SPDX-License-Identifier: MIT
"""Chart recordings read back: one entry per row, equal to the file; bad files refused."""

import csv
import errno
import math

import pytest

import qvm


def test_a_polled_recording_loads_row_for_row(tmp_path):
    path = tmp_path / "run.csv"
    with qvm.open(sim="daisy:52400x3", virtual_time=True) as evb:
        with evb.poll(6, interval_ms=100, scans=("all",), reads=("volts", "temps", "faults"),
                      csv=str(path)) as run:
            for _ in run:
                pass
    recording = qvm.load_recording(str(path))
    with open(path, newline="") as file:
        rows = list(csv.reader(file))[1:]
    assert len(recording) == len(rows) == recording.rows_in_file
    assert recording.stopped_at is None
    assert recording.devices == 3
    assert recording.cell_volts.shape == (len(rows), 3, 12)
    for sample, row in enumerate(rows):
        assert recording.times[sample] == row[0]
        assert recording.elapsed_min[sample] == float(row[1])
        for device in range(3):
            fields = row[3 + 20 * device: 3 + 20 * (device + 1)]
            for cell in range(12):
                text = fields[cell]
                value = recording.cell_volts[sample, device, cell]
                assert (math.isnan(value) if text == "" else value == float(text))
            assert recording.pack_volts[sample, device] == float(fields[12])
            assert recording.ic_temp[sample, device] == float(fields[13])


@pytest.mark.parametrize("text, message", [
    ("", "the file is empty"),
    ("a,b\n1,2\n", "not a chart recording"),
    ("\x00\x01binary", "not a chart recording"),
])
def test_a_file_holding_no_recording_is_refused(tmp_path, text, message):
    path = tmp_path / "bad.csv"
    path.write_text(text)
    with pytest.raises(qvm.FileRefusedError, match=message) as refused:
        qvm.load_recording(str(path))
    assert refused.value.errno == errno.EINVAL
    assert refused.value.filename == str(path)
    with pytest.raises(qvm.FileRefusedError) as missing:
        qvm.load_recording(str(tmp_path / "missing.csv"))
    assert missing.value.errno == errno.ENOENT


def test_a_polled_log_decodes_to_the_cell_voltages_of_its_csv(tmp_path):
    log, table = tmp_path / "run.txt", tmp_path / "run.csv"
    with qvm.open(sim="daisy:52400x2", virtual_time=True) as evb:
        with evb.poll(2, interval_ms=100, scans=("all",), reads=("volts",), csv=str(table),
                      log=str(log)) as run:
            for _ in run:
                pass
    items = list(qvm.decode_log(str(log)))
    assert items[0]["kind"] == "marker" and items[0]["started"]
    assert items[-1]["kind"] == "marker" and not items[-1]["started"]
    assert not [item for item in items if item["kind"] == "malformed"]
    cells = [(item["dev"], item["register"], item["value"]) for item in items
             if item["kind"] == "frame" and item["direction"] == "rcvd"
             and item["register"].startswith("Cell ") and item["register"].endswith(" Voltage")]
    with open(table, newline="") as file:
        rows = list(csv.reader(file))[1:]
    expected = [(dev, f"Cell {cell} Voltage", float(row[3 + 20 * (dev - 1) + cell - 1]))
                for row in rows for dev in (1, 2) for cell in range(1, 13)]
    assert sorted((d, n, round(v, 4)) for d, n, v in cells) == sorted(expected)
    with pytest.raises(qvm.FileRefusedError):
        next(iter(qvm.decode_log(str(tmp_path / "missing.txt"))))
