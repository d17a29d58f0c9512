"""Scripting interface of the battery-monitor evaluation console.

Open a board (or the simulated one), identify the chain, read and write registers, read all
cell voltages, temperatures, faults and setups, send commands, poll with the chart store as
numpy arrays, and save or load configurations::

    import qvm
    with qvm.open(sim="daisy:52400x3") as evb:
        evb.command("scan-all")
        volts = evb.read_all("volts")
"""

from ._qvm import (
    BadResponseError,
    CrcError,
    Error,
    Evb,
    FileRefusedError,
    LinkLostError,
    NakError,
    NoAnswerError,
    Poll,
    open,
)

__all__ = [
    "BadResponseError",
    "CrcError",
    "Error",
    "Evb",
    "FileRefusedError",
    "LinkLostError",
    "NakError",
    "NoAnswerError",
    "Poll",
    "open",
]
