# SPDX-License-Identifier: MIT
"""Type stubs of the qvm scripting interface."""

from types import TracebackType
from typing import Any, Literal, Optional, Sequence, Union

import numpy as np
import numpy.typing as npt

__version__: str

_ReadClass = Literal["volts", "temps", "faults", "setups"]
"""A class of registers read_all() and poll() read."""

_ScanClass = Literal["all", "mixed", "volts", "temps", "wires"]
"""What poll() has the devices scan on every tick."""

_CommandName = Literal[
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
"""A command of the command panel."""

Reading = dict[str, Any]
"""One device: "type" (part name), "dev" and "errors" (flag word of the errors that concerned
it), then by class "pack" and "cells" (V), "internal" (degrees C) and "external" (V), or
"registers" {index: raw value}; None where the register is not defined or was not read."""

Sample = dict[str, Any]
"""One polling tick: "tick", "time_ms", "elapsed_min" (None without a voltage read),
"errors" (flag word: 0x01 no ACK, 0x02 CRC, 0x04 bad response, 0x08 NAK, 0x10 no answer),
"error_codes", "faults" (newly raised fault texts) and a list of Readings per read class."""

class Error(Exception):
    """Any failure of the board or its files."""

class NoAnswerError(Error):
    """The bridge board or the devices did not answer."""

class AccessDeniedError(NoAnswerError, PermissionError):
    """The board is attached, but the user may not open it (see the udev rule); errno is
    EACCES."""

class NakError(Error):
    """A device answered NAK."""

class CrcError(Error):
    """A reply frame failed its CRC4 check."""

class BadResponseError(Error):
    """A reply was too short or could not be read."""

class LinkLostError(Error):
    """The board went away; polling was terminated."""

class FileRefusedError(Error, OSError):
    """A file could not be read or written; errno tells why and filename names it."""

class PublishError(Error):
    """Polled samples did not reach the MQTT broker; the message counts them. The run's files
    are complete."""

class PublishWarning(UserWarning):
    """The MQTT broker did not answer when polling started; polling goes on and publishes once
    it does."""

class _Pybind11Type(type):
    """The metaclass of the module's classes."""

class Poll(metaclass=_Pybind11Type):
    """Iterator over the samples of a polling run; one tick per step. Evb.poll() makes it."""

    def __init__(self, *args: Any, **kwargs: Any) -> None: ...
    def __iter__(self) -> "Poll": ...
    def __next__(self) -> Sample: ...
    def close(self) -> None:
        """End the run now: the log gets its stop marker, the files are closed."""
    def __enter__(self) -> "Poll": ...
    def __exit__(
        self,
        exc_type: Optional[type[BaseException]],
        exc: Optional[BaseException],
        tb: Optional[TracebackType],
    ) -> None: ...
    @property
    def ticks(self) -> int:
        """Ticks run so far."""
    @property
    def samples(self) -> int:
        """Chart samples taken so far (one per polled voltage read)."""
    @property
    def mqtt_status(self) -> Optional[str]:
        """The broker's state while publishing, e.g. 'MQTT: connected' or
        'MQTT: unreachable: Connection refused (12 queued)'; None without mqtt."""

class Evb(metaclass=_Pybind11Type):
    """An open evaluation board (or the simulated one). qvm.open() makes it."""

    def __init__(self, *args: Any, **kwargs: Any) -> None: ...
    def close(self) -> None:
        """Close the link; a running poll is finished."""
    def __enter__(self) -> "Evb": ...
    def __exit__(
        self,
        exc_type: Optional[type[BaseException]],
        exc: Optional[BaseException],
        tb: Optional[TracebackType],
    ) -> None: ...
    @property
    def closed(self) -> bool: ...
    @property
    def simulated(self) -> bool:
        """True on the simulated board."""
    @property
    def daisy_chain(self) -> bool:
        """True in daisy-chain mode, False in single-device mode."""
    @property
    def devices(self) -> dict[str, int]:
        """Devices per part name, as the last identification found them."""
    def identify(self) -> dict[str, int]:
        """Identify the chain again; the devices per part name. Raises NoAnswerError, or the
        subclass that fits the communication errors met, when no device answers or the chain
        found is not the one expected (`stack`, else the simulated chain)."""
    def command(self, name: _CommandName) -> None:
        """Send a command of the command panel to every device: scan-volts, scan-temps,
        scan-mixed, scan-wires, scan-all, scan-cont, scan-inhibit, bal-enable, bal-inhibit,
        sleep, wake or clear-faults."""
    def read_all(self, what: _ReadClass) -> list[Reading]:
        """Read 'volts', 'temps', 'faults' or 'setups' of every device."""
    def read(self, dev: int, page: int, adr: int, type: int = 0) -> int:
        """Read one register; its 14-bit value."""
    def write(self, dev: int, page: int, adr: int, value: int, type: int = 0) -> None:
        """Write one register (it must be writable)."""
    def poll(
        self,
        count: Optional[int] = None,
        interval_ms: int = 500,
        scans: Sequence[_ScanClass] = (),
        reads: Sequence[_ReadClass] = ("volts",),
        upr: bool = False,
        csv: Optional[str] = None,
        log: Optional[str] = None,
        *,
        mqtt: Optional[str] = None,
        mqtt_qos: Literal[0, 1] = 1,
        rig: Optional[str] = None,
        mqtt_user: Optional[str] = None,
        mqtt_password_file: Optional[str] = None,
        mqtt_ca: Optional[str] = None,
    ) -> Poll:
        """Poll `count` times (forever when None), one tick every `interval_ms`: the scans
        ('all', 'mixed', 'volts', 'temps', 'wires') before the reads ('volts', 'temps',
        'faults', 'setups'). Each sample holds only what its tick read (None otherwise) and
        the errors of the tick's exchanges. `csv` gets each sample's row as it is taken, `log`
        every SPI frame. Ctrl-C stops cleanly with the files complete; a board that is lost
        raises LinkLostError.

        `mqtt` ('mqtt://HOST[:PORT]/TOPIC', or 'mqtts://...' for TLS with the certificate
        authority `mqtt_ca`) publishes every tick as `qvmctl poll --mqtt` does: its --json
        object with `rig` (default: the host's name), the board and the chain, at `mqtt_qos`;
        `mqtt_user` logs in with the password from `mqtt_password_file` or the environment
        variable QVM_MQTT_PASSWORD. A malformed address raises ValueError before anything is
        polled; a broker that does not answer is a PublishWarning and polling goes on; samples
        the broker never got raise PublishError at the end, after the files are complete."""
    def chart_store(self) -> dict[str, npt.NDArray[Any]]:
        """The chart store of the last poll, indexed [sample, device - 1, ...] and as wide as
        the chain (cell_volts[:, :3] holds devices 1..3): elapsed_min, com_errors, cells_raw,
        vbat_raw, ic_temp_raw, et_raw, fault_status_a, fault_status_b, cell_volts,
        pack_volts. A value never read is -32768 raw and NaN decoded."""
    def save_config(self, path: str) -> None:
        """Read every device's setup registers and save them as a configuration file."""
    def load_config(self, path: str) -> int:
        """Write a configuration file to the devices; the number of register writes.
        Raises FileRefusedError, naming the file and the line, for a write line that cannot be
        sent as it stands; nothing is written then."""
    @property
    def simulation(self) -> Optional[dict[str, Any]]:
        """On the simulated board: SPI packet exchanges so far and the faults injected per
        kind, e.g. {'exchanges': 120, 'injected': {'crc': 2, ...}}; None on a real board."""
    @property
    def activity_log(self) -> list[str]:
        """The last lines of the activity log."""

class Recording(metaclass=_Pybind11Type):
    """A chart recording read back from its CSV file (a chart export or a file recorded while
    polling). Arrays are indexed [sample, device - 1, ...] like chart_store(); a value the row
    left empty (never read) is NaN, a fault word -32768."""

    def __init__(self, *args: Any, **kwargs: Any) -> None: ...
    def __len__(self) -> int: ...
    @property
    def devices(self) -> int:
        """Devices per row."""
    @property
    def rows_in_file(self) -> int:
        """Rows read from the file."""
    @property
    def stopped_at(self) -> Optional[str]:
        """None when every line was read; else the line where reading stopped, and why."""
    @property
    def times(self) -> list[str]:
        """The time of day of each row, as written."""
    @property
    def elapsed_min(self) -> npt.NDArray[np.float64]: ...
    @property
    def com_errors(self) -> npt.NDArray[np.uint16]: ...
    @property
    def cell_volts(self) -> npt.NDArray[np.float64]: ...
    @property
    def pack_volts(self) -> npt.NDArray[np.float64]: ...
    @property
    def ic_temp(self) -> npt.NDArray[np.float64]: ...
    @property
    def et_volts(self) -> npt.NDArray[np.float64]: ...
    @property
    def fault_status_a(self) -> npt.NDArray[np.int16]: ...
    @property
    def fault_status_b(self) -> npt.NDArray[np.int16]: ...

class LogDecoding(metaclass=_Pybind11Type):
    """Iterator over the transactions of a frame log, decoded as it is read."""

    def __init__(self, *args: Any, **kwargs: Any) -> None: ...
    def __iter__(self) -> "LogDecoding": ...
    def __next__(self) -> dict[str, Any]: ...

def decode_log(
    path: str,
    mode: Literal["daisy", "single"] = "daisy",
    family: Literal["52400", "52400+52401", "38817"] = "52400",
) -> LogDecoding:
    """Decode a frame log (poll(log=...), qvmctl poll --log, the console's log file) as
    `qvmctl decode --json` does: an iterator of dicts, kind 'marker', 'frame' or 'malformed',
    read line by line in constant memory. Raises FileRefusedError when the file cannot be
    read."""

def load_recording(path: str) -> Recording:
    """Read a chart recording (CSV). Raises FileRefusedError when the file cannot be read or
    holds no recording; a file cut short loads up to the bad line, which stopped_at names."""

def open(
    sim: Optional[str] = None,
    board: Union[int, str] = 0,
    vid: Optional[int] = None,
    mode: Optional[Literal["daisy", "single"]] = None,
    family: Optional[Literal["52400", "52400+52401", "38817"]] = None,
    stack: int = 0,
    faults: Optional[str] = None,
    seed: int = 1,
    virtual_time: bool = False,
) -> Evb:
    """Open a board and identify its chain: `board` (instance number, serial number or
    device node, as `qvmctl boards` lists them), `vid` (USB vendor id
    when it is not the build's), `mode`, `family` and `stack` as qvmctl takes them; `sim` runs on the simulated board instead
    ('daisy:52400x3', 'daisy:52400x3+52401x2', 'single:38817') with `faults` injected (a
    fault list such as 'crc=0.01,nak@17,unplug@40,replug=500') from the random `seed`;
    `virtual_time` lets its waits cost nothing. Raises NoAnswerError when no device
    answers, AccessDeniedError when the user may not open the board."""
