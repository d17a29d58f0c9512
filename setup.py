# SPDX-License-Identifier: MIT
"""Builds the qvm module's extension with CMake when pip builds the package.

The version is the CMake project's, so the module and the programs always agree. The CMake
build folder is build/pip (QVM_CMAKE_BUILD_DIR chooses another, such as an existing build
tree); setuptools' own files go there too, never into the source tree.
"""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent
BUILD_DIR = Path(os.environ.get("QVM_CMAKE_BUILD_DIR") or ROOT / "build" / "pip").resolve()


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(qvm VERSION ([0-9.]+)", text).group(1)


class CMakeBuild(build_ext):
    """Configures the project once, builds the qvm_python target and takes its output."""

    def build_extension(self, ext):
        if not (BUILD_DIR / "CMakeCache.txt").exists():
            subprocess.run(
                ["cmake", "-S", str(ROOT), "-B", str(BUILD_DIR), "-DCMAKE_BUILD_TYPE=Release",
                 "-DQVM_BUILD_TESTS=OFF", "-DQVM_BUILD_BENCHMARKS=OFF",
                 f"-DPython3_EXECUTABLE={sys.executable}"],
                check=True)
        subprocess.run(["cmake", "--build", str(BUILD_DIR), "--target", "qvm_python"], check=True)
        built = BUILD_DIR / "python" / "qvm"
        modules = sorted(built.glob("_qvm*.so"))
        if len(modules) != 1:
            raise RuntimeError(f"expected one built _qvm module in {built}, found {modules}")
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(modules[0], target)
        shutil.copytree(built / "data", target.parent / "data", dirs_exist_ok=True)


BUILD_DIR.mkdir(parents=True, exist_ok=True)
setup(
    version=project_version(),
    ext_modules=[Extension("qvm._qvm", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    options={"build": {"build_base": str(BUILD_DIR / "setuptools")},
             "egg_info": {"egg_base": str(BUILD_DIR)}},
)
