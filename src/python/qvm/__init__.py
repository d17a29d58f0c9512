"""Scripting interface of the battery-monitor evaluation console.

Open a board (or the simulated one), identify the chain, read and write registers, read all
cell voltages, temperatures, faults and setups, send commands, poll with the chart store as
numpy arrays, and save or load configurations::

    import qvm
    with qvm.open(sim="daisy:52400x3") as evb:
        evb.command("scan-all")
        volts = evb.read_all("volts")
"""

from typing import Any, Literal

from ._qvm import (
    AccessDeniedError,
    BadResponseError,
    CrcError,
    Error,
    Evb,
    FileRefusedError,
    LinkLostError,
    NakError,
    NoAnswerError,
    Poll,
    __version__,
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
    "NakError",
    "NoAnswerError",
    "Poll",
    "open",
]

# Names for annotations in scripts, as the type stubs use them.
ReadClass = Literal["volts", "temps", "faults", "setups"]
ScanClass = Literal["all", "mixed", "volts", "temps", "wires"]
CommandName = Literal[
    "scan-volts",
    "scan-temps",
    "scan-mixed",
    "scan-wires",
    "scan-all",
    "scan-cont",
    "scan-inhibit",
    "bal-enable",
    "bal-inhibit",
    "sleep",
    "wake",
    "clear-faults",
]
Reading = dict[str, Any]
Sample = dict[str, Any]
