# SPDX-License-Identifier: MIT
import pytest

import qvm


@pytest.fixture
def evb():
    """A three-device daisy chain on the simulated board, on virtual time."""
    with qvm.open(sim="daisy:52400x3", virtual_time=True) as board:
        yield board
