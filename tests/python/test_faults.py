# SPDX-License-Identifier: MIT
"""Injected faults of the simulated board raise the exception that names them."""

import pytest

import qvm

CHAIN = "daisy:52400x3"


def exchanges_after_open(chain=CHAIN):
    with qvm.open(sim=chain, virtual_time=True) as evb:
        return evb.simulation["exchanges"]


@pytest.mark.parametrize("faults, error, reason", [
    ("nak@{0}", qvm.NakError, "NAK"),
    ("crc@{0}", qvm.CrcError, "CRC"),
    ("seq@{0},seq@{1}", qvm.NoAnswerError, "no answer"),
    ("short@{0}", qvm.NoAnswerError, "no reply from QVM52400 device 2"),
    ("silent@{0}", qvm.NoAnswerError, "no reply from QVM52400 device 2"),
    ("drop@{0},drop@{1}", qvm.NoAnswerError, "no answer"),
    ("rid@{0},rid@{1}", qvm.NoAnswerError, "unrecognized response"),
    ("unplug@{0}", qvm.LinkLostError, "link to the board was lost"),
])
def test_register_read_under_a_fault_raises(faults, error, reason):
    first = exchanges_after_open() + 1
    fault_list = faults.format(first, first + 1)
    with qvm.open(sim=CHAIN, faults=fault_list, virtual_time=True) as evb:
        with pytest.raises(error, match=reason):
            evb.read(dev=2, page=2, adr=0x10)
        assert sum(evb.simulation["injected"].values()) >= 1


# Exchanges of identifying one type of two devices: Identify 0, Identify 2, the read that confirms
# the top device, the close. A fault that a retry cures leaves the chain found.
@pytest.mark.parametrize("faults, error, reason", [
    ("silent@{5}", qvm.NoAnswerError,
     r"identify: 1 of 2 QVM52401 devices found: no reply \(no reply from QVM52401 device 2"),
    ("nak@{0},nak@{2},nak@{4}", qvm.NakError, "identify: 0 of 2 QVM52400 devices found: NAK"),
    ("crc@{0}", None, None),
])
def test_identify_raises_unless_the_chain_is_found(faults, error, reason):
    chain = "daisy:52400x2+52401x2"
    first = exchanges_after_open(chain) + 1
    fault_list = faults.format(*range(first, first + 6))
    with qvm.open(sim=chain, faults=fault_list, virtual_time=True) as evb:
        if error is None:
            assert evb.identify() == {"QVM52400": 2, "QVM52401": 2}
            assert evb.simulation["injected"]["crc"] == 1
        else:
            with pytest.raises(error, match=reason):
                evb.identify()


@pytest.mark.parametrize("kind", ["drop", "rid"])
def test_a_single_lost_or_misaddressed_reply_is_retried(kind):
    first = exchanges_after_open() + 1
    with qvm.open(sim=CHAIN, faults=f"{kind}@{first}", virtual_time=True) as evb:
        assert evb.read(dev=2, page=2, adr=0x10) == 0x1AE1
        assert evb.simulation["injected"][kind] == 1


def test_unanswered_read_all_keeps_no_stale_value():
    first = exchanges_after_open() + 1
    with qvm.open(sim=CHAIN, faults=f"silent@{first + 1}", virtual_time=True) as evb:
        with pytest.raises(qvm.NoAnswerError, match="no reply from QVM52400 device 2"):
            evb.command("scan-all")
        with pytest.raises(qvm.NoAnswerError, match="device 1; no reply from QVM52400 device 2"):
            evb.read_all("volts")


def test_faults_during_a_poll_are_flagged_not_raised(tmp_path):
    csv = tmp_path / "faulty.csv"
    with qvm.open(sim=CHAIN, faults="crc=0.05,nak=0.05", seed=7, virtual_time=True) as evb:
        samples = list(evb.poll(count=200, interval_ms=100, scans=["all"], csv=str(csv)))
        flagged = [s for s in samples if s["errors"]]
        assert flagged and len(flagged) < len(samples)
        assert all(s["error_codes"] for s in flagged)
        injected = evb.simulation["injected"]
        assert injected["crc"] + injected["nak"] >= len(flagged)
    rows = csv.read_bytes().decode().split("\r\n")[1:-1]
    assert len(rows) == 200
    assert sum(1 for row in rows if "CRCErr_" in row or "NackResponse_" in row) > 0


def test_faults_need_the_simulated_board():
    with pytest.raises(ValueError, match="simulated"):
        qvm.open(faults="crc=0.1")
    with pytest.raises(qvm.NoAnswerError, match="--sim-faults"):
        qvm.open(sim=CHAIN, faults="fire=1")
