# SPDX-License-Identifier: MIT
"""The qvm module on the simulated board: connection, reads, writes, commands, files."""

import glob
import os
import re
import subprocess
import sys

import pytest

import qvm


def test_open_identifies_the_chain():
    cases = [
        ("daisy:52400x1", True, {"QVM52400": 1}),
        ("daisy:52400x3", True, {"QVM52400": 3}),
        ("daisy:52400x2+52401x2", True, {"QVM52400": 2, "QVM52401": 2}),
        ("single:38817", False, {"QVM38817": 1}),
    ]
    for chain, daisy, devices in cases:
        with qvm.open(sim=chain, virtual_time=True) as evb:
            assert evb.simulated
            assert evb.daisy_chain == daisy
            assert evb.devices == devices
            assert evb.identify() == devices


def test_bad_open_arguments_raise():
    with pytest.raises(qvm.NoAnswerError, match="--sim"):
        qvm.open(sim="daisy:99999x3", virtual_time=True)
    with pytest.raises(qvm.NoAnswerError, match="simulated"):
        qvm.open(virtual_time=True)


def test_read_all_decodes_every_device(evb):
    evb.command("scan-all")
    volts = evb.read_all("volts")
    assert [(d["type"], d["dev"]) for d in volts] == [("QVM52400", n) for n in (1, 2, 3)]
    for device in volts:
        assert len(device["cells"]) == 12
        assert all(2.5 < cell < 4.5 for cell in device["cells"])
        assert device["pack"] == pytest.approx(sum(device["cells"]), rel=0.02)
    temps = evb.read_all("temps")[0]
    assert -40 < temps["internal"] < 125
    faults = evb.read_all("faults")[0]["registers"]
    assert sorted(faults) == list(range(0x80, 0x87))
    with pytest.raises(ValueError, match="volts, temps, faults or setups"):
        evb.read_all("pressure")


def test_write_then_read_back(evb):
    evb.write(dev=2, page=2, adr=0x10, value=0x1AE0)
    assert evb.read(dev=2, page=2, adr=0x10) == 0x1AE0
    assert evb.read(dev=1, page=2, adr=0x10) != 0x1AE0
    with pytest.raises(ValueError, match="not writable"):
        evb.write(1, 1, 0x01, 5)
    with pytest.raises(IndexError):
        evb.read(16, 0, 0)
    with pytest.raises(ValueError, match="scan-all"):
        evb.command("explode")


def test_configuration_round_trip(evb, tmp_path):
    path = tmp_path / "bench.txt"
    evb.save_config(str(path))
    text = path.read_text()
    assert "wrt,QVM52400,dev0x03,cat0x0A,adr0x10" in text
    assert evb.load_config(str(path)) == text.count("\nwrt,")
    with pytest.raises(qvm.FileRefusedError, match="cannot read"):
        evb.load_config(str(tmp_path / "missing.txt"))
    with pytest.raises(qvm.FileRefusedError):
        evb.save_config(str(tmp_path / "no-such-folder" / "x.txt"))


def test_configuration_that_cannot_be_sent_is_refused_with_its_line(evb, tmp_path):
    path = tmp_path / "bad.txt"
    path.write_bytes(b"wrt,QVM52400,dev0x01,cat0x0A,adr0x10,dat0x0123\r\n"
                     b"wrt,QVM52400,dev0x01,cat0x1A,adr0x10,dat0x0123\r\n")
    before = evb.read(dev=1, page=2, adr=0x10)
    with pytest.raises(qvm.FileRefusedError,
                       match=re.escape(f"{path}:2: cat0x1A: the category must be 0x00 to 0x0F")):
        evb.load_config(str(path))
    assert evb.read(dev=1, page=2, adr=0x10) == before != 0x0123


def test_no_file_is_created_through_a_dangling_link(evb, tmp_path):
    target = tmp_path / "elsewhere.txt"
    link = tmp_path / "link.txt"
    link.symlink_to(target)
    with pytest.raises(qvm.FileRefusedError, match="symbolic link"):
        evb.save_config(str(link))
    with pytest.raises(qvm.FileRefusedError, match="symbolic link"):
        evb.poll(count=1, reads=["volts"], csv=str(link))
    assert not target.exists()


def test_closed_board_refuses_work(evb):
    evb.close()
    assert evb.closed
    with pytest.raises(qvm.Error, match="closed"):
        evb.read_all("volts")


def test_installed_module_works_from_anywhere(tmp_path):
    build = os.environ.get("QVM_BUILD_DIR")
    if not build:
        pytest.skip("QVM_BUILD_DIR not set")
    prefix = tmp_path / "prefix"
    subprocess.run([os.environ.get("CMAKE_COMMAND", "cmake"), "--install", build,
                    "--component", "python", "--prefix", str(prefix)],
                   check=True, capture_output=True, timeout=120)
    [package] = glob.glob(str(prefix / "lib" / "python3*" / "dist-packages" / "qvm"))
    assert os.path.exists(os.path.join(package, "__init__.pyi"))
    env = dict(os.environ, PYTHONPATH=os.path.dirname(package))
    done = subprocess.run(
        [sys.executable, "-c",
         "import qvm; e = qvm.open(sim='single:38817'); print(qvm.__file__, e.devices)"],
        cwd=tmp_path, env=env, capture_output=True, text=True, timeout=60)
    assert done.returncode == 0, done.stderr
    assert done.stdout.startswith(package) and "{'QVM38817': 1}" in done.stdout


def test_type_stubs_describe_the_module():
    import ast
    import inspect

    stub = ast.parse(open(os.path.join(os.path.dirname(qvm.__file__), "__init__.pyi")).read())
    for node in stub.body:
        if isinstance(node, ast.ClassDef) and not node.name.startswith("_"):
            actual = getattr(qvm, node.name)
            for member in node.body:
                if isinstance(member, ast.FunctionDef):
                    assert hasattr(actual, member.name), f"{node.name}.{member.name}"
        elif isinstance(node, ast.FunctionDef):
            names = [a.arg for a in node.args.args]
            # pybind11 puts the signature in the first line of the docstring.
            signature = inspect.getdoc(getattr(qvm, node.name)).splitlines()[0]
            assert all(f"{name}:" in signature for name in names), (names, signature)
    public = {n.name for n in stub.body if isinstance(n, (ast.ClassDef, ast.FunctionDef))}
    assert set(qvm.__all__) == {name for name in public if not name.startswith("_")}
