"""Builds the C++ half of the Python module wavecomp with the project's CMake.

Used by `pip install --no-build-isolation .`; the project's own build
(`cmake --install`) does not need it.
"""

import os
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        target = Path(self.get_ext_fullpath(ext.name)).resolve()
        build = Path(self.build_temp).resolve() / "cmake"
        output = build / "python"
        subprocess.check_call([
            "cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
            "-DWAVECOMP_BUILD_TESTS=OFF", f"-DPython3_EXECUTABLE={sys.executable}",
            f"-DWAVECOMP_PYTHON_OUTPUT_DIR={output}",
        ])
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.check_call(["cmake", "--build", str(build), "--target", "_wavecomp", "--parallel", jobs])
        built = next((output / "wavecomp").glob("_wavecomp*.so"))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(
    packages=["wavecomp"],
    package_dir={"": "src/python"},
    ext_modules=[Extension("wavecomp._wavecomp", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
)
