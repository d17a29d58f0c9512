# SPDX-License-Identifier: MIT
"""The module's version, exception classes, type stubs and package build."""

import errno
import importlib.util
import os
import re
import subprocess
import sys
import tomllib

import pytest

import qvm

SOURCE = os.environ.get("QVM_SOURCE_DIR", "")
BUILD = os.environ.get("QVM_BUILD_DIR", "")
QVMCTL = os.path.join(os.environ.get("QVM_BIN_DIR", ""), "qvmctl")
PACKAGE_ROOT = os.path.dirname(os.path.dirname(qvm.__file__))


def project_version():
    with open(os.path.join(SOURCE, "CMakeLists.txt"), encoding="utf-8") as cmake:
        return re.search(r"project\(qvm VERSION ([0-9.]+)", cmake.read()).group(1)


@pytest.mark.skipif(not SOURCE, reason="QVM_SOURCE_DIR not set")
def test_version_is_the_projects():
    assert qvm.__version__ == project_version()
    if os.path.exists(QVMCTL):
        done = subprocess.run([QVMCTL, "--version"], capture_output=True, text=True, timeout=30)
        assert done.stdout == f"qvmctl {qvm.__version__}\n"
    with open(os.path.join(SOURCE, "pyproject.toml"), "rb") as toml:
        project = tomllib.load(toml)["project"]
    assert project["name"] == "qvm" and project["dynamic"] == ["version"]
    assert "numpy" in project["dependencies"]


def test_file_and_access_errors_are_os_errors(evb, tmp_path):
    (tmp_path / "comments.txt").write_text("no register line here\n")
    cases = [
        (lambda: evb.load_config(str(tmp_path / "missing.txt")), errno.ENOENT, "missing.txt"),
        (lambda: evb.load_config(str(tmp_path)), errno.EISDIR, ""),
        (lambda: evb.load_config(str(tmp_path / "comments.txt")), errno.EINVAL, "comments.txt"),
        (lambda: evb.save_config(str(tmp_path / "none" / "x.txt")), errno.ENOENT, "x.txt"),
        (lambda: evb.poll(count=1, csv=str(tmp_path)), errno.EISDIR, ""),
    ]
    for call, number, name in cases:
        with pytest.raises(qvm.FileRefusedError) as raised:
            call()
        assert isinstance(raised.value, (qvm.Error, OSError))
        assert raised.value.errno == number, raised.value
        assert raised.value.filename.endswith(name) and raised.value.filename.startswith(
            str(tmp_path)), raised.value
    with pytest.raises(qvm.FileRefusedError, match="no usable lines"):
        evb.load_config(str(tmp_path / "comments.txt"))

    # Access refused is a PermissionError, and still the NoAnswerError it used to be.
    for board in (0, 1, "sim:evb"):
        with pytest.raises(qvm.AccessDeniedError, match="Permission denied") as raised:
            qvm.open(sim="daisy:52400x2", faults="denied", board=board, virtual_time=True)
        assert isinstance(raised.value, qvm.NoAnswerError)
        assert isinstance(raised.value, PermissionError) and raised.value.errno == errno.EACCES
    with pytest.raises(qvm.NoAnswerError, match="no bridge board") as raised:
        qvm.open(sim="daisy:52400x2", board="nothing", virtual_time=True)
    assert not isinstance(raised.value, qvm.AccessDeniedError)
    with qvm.open(sim="daisy:52400x2", board="SIM-0001", virtual_time=True) as evb:
        assert evb.devices == {"QVM52400": 2}


def mypy(*args, cwd):
    env = dict(os.environ, MYPYPATH=PACKAGE_ROOT, PYTHONPATH=PACKAGE_ROOT)
    return subprocess.run([sys.executable, "-m", *args], cwd=cwd, env=env,
                          capture_output=True, text=True, timeout=300)


@pytest.mark.skipif(importlib.util.find_spec("mypy") is None, reason="python3-mypy not installed")
def test_stubs_match_the_module_and_catch_typos(tmp_path):
    done = mypy("mypy.stubtest", "qvm", cwd=tmp_path)
    assert done.returncode == 0, done.stdout + done.stderr
    # One script, one call a line; mypy --strict must flag exactly the misspelt ones.
    cases = [
        ('evb.read_all("volts")', True),
        ('evb.read_all("volt")', False),
        ('evb.command("scan-all")', True),
        ('evb.command("scan_all")', False),
        ('evb.poll(count=2, reads=["temps"], scans=["all"])', True),
        ('evb.poll(reads=["temp"])', False),
        ('qvm.open(sim="daisy:52400x1", mode="chain")', False),
    ]
    header = 'import qvm\n\nevb = qvm.open(sim="daisy:52400x1")\n'
    script = tmp_path / "script.py"
    script.write_text(header + "".join(call + "\n" for call, _ in cases))
    done = mypy("mypy", "--strict", "--cache-dir", str(tmp_path / "cache"), str(script),
                cwd=tmp_path)
    flagged = {int(line) for line in re.findall(r"script\.py:(\d+): error", done.stdout)}
    first = header.count("\n") + 1
    assert flagged == {first + n for n, (_, passes) in enumerate(cases) if not passes}, done.stdout


@pytest.mark.skipif(not BUILD or not SOURCE, reason="QVM_BUILD_DIR not set")
def test_pip_builds_an_installable_wheel(tmp_path):
    pytest.importorskip("setuptools")
    env = dict(os.environ, QVM_CMAKE_BUILD_DIR=BUILD)
    env.pop("PYTHONPATH", None)
    built = subprocess.run(
        [sys.executable, "-m", "pip", "wheel", "--no-build-isolation", "--no-deps", "--no-index",
         "-w", str(tmp_path / "wheels"), SOURCE],
        env=env, capture_output=True, text=True, timeout=600)
    assert built.returncode == 0, built.stdout + built.stderr
    [wheel] = (tmp_path / "wheels").glob("qvm-*.whl")
    assert wheel.name.startswith(f"qvm-{qvm.__version__}-")
    site = tmp_path / "site"
    subprocess.run([sys.executable, "-m", "pip", "install", "--no-deps", "--no-index", "--target",
                    str(site), str(wheel)], check=True, capture_output=True, timeout=120)
    done = subprocess.run(
        [sys.executable, "-c",
         "import qvm; e = qvm.open(sim='single:38817', virtual_time=True); "
         "print(qvm.__file__, qvm.__version__, e.devices)"],
        cwd=tmp_path, env=dict(env, PYTHONPATH=str(site)), capture_output=True, text=True,
        timeout=60)
    assert done.returncode == 0, done.stderr
    assert done.stdout.startswith(str(site))
    assert f" {qvm.__version__} {{'QVM38817': 1}}" in done.stdout
    assert (site / "qvm" / "__init__.pyi").exists() and (site / "qvm" / "py.typed").exists()
