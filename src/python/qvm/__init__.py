# SPDX-License-Identifier: MIT
"""Scripting interface of the battery-monitor evaluation console.

Open a board (or the simulated one), identify the chain, read and write registers, read all
cell voltages, temperatures, faults and setups, send commands, poll with the chart store as
numpy arrays, and save or load configurations::

    import qvm
    with qvm.open(sim="daisy:52400x3") as evb:
        evb.command("scan-all")
        volts = evb.read_all("volts")
"""

from typing import Any

from ._qvm import (
    AccessDeniedError,
    BadResponseError,
    CrcError,
    Error,
    Evb,
    FileRefusedError,
    LinkLostError,
    LogDecoding,
    NakError,
    NoAnswerError,
    Poll,
    PublishError,
    PublishWarning,
    Recording,
    __version__,
    decode_log,
    load_recording,
    open,
)

__all__ = [
    "AccessDeniedError",
    "BadResponseError",
    "CrcError",
    "Error",
    "Evb",
    "FileRefusedError",
    "LinkLostError",
    "LogDecoding",
    "NakError",
    "NoAnswerError",
    "Poll",
    "PublishError",
    "PublishWarning",
    "Recording",
    "decode_log",
    "load_recording",
    "open",
]

# One device's reading and one polling sample, as the type stubs describe them.
Reading = dict[str, Any]
Sample = dict[str, Any]
