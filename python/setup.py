"""The wheel of zalvo: setuptools packs what the project's CMake build installs.

    python3 -m pip wheel ./python --no-build-isolation --no-deps --no-index -w build/wheelhouse

The wheel holds the package's Python sources, the extension module _zalvo and
the shared libraries the project installs (libzalvo and the logging library),
all in the package's folder: the module finds the libraries through its run
path $ORIGIN, so the wheel works wherever pip puts it.

The CMake build tree: ZALVO_CMAKE_BUILD_DIR, an absolute path, names a
configured build of the package (ZALVO_PYTHON=ON, for this Python), e.g.
$PWD/build/python, which is brought up to date and reused. Without it the wheel
has a build tree of its own, build/wheel (Release, the package, no tests),
configured the first time and reused after. CMAKE_BUILD_PARALLEL_LEVEL caps
the build's jobs (by default one per core). Nothing is written outside the
build tree and the wheel's folder.
"""

import os
import re
import shutil
import subprocess
import sys
import sysconfig
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

REPOSITORY = Path(__file__).resolve().parent.parent
HEADER = REPOSITORY / "include" / "zalvo" / "zalvo.h"
GIVEN_BUILD_DIR = os.environ.get("ZALVO_CMAKE_BUILD_DIR")
BUILD_DIR = Path(GIVEN_BUILD_DIR) if GIVEN_BUILD_DIR else REPOSITORY / "build" / "wheel"
# setuptools' own build folders, inside the CMake build tree rather than the sources.
SETUPTOOLS_DIR = BUILD_DIR / "setuptools"
_SHARED_LIBRARY = re.compile(r"lib.+\.so\.\d+")
_ON = {"1", "ON", "YES", "TRUE", "Y"}


def version():
    """ZALVO_VERSION of the public header, the one place that states the version."""
    match = re.search(r'^#define ZALVO_VERSION "([^"]+)"', HEADER.read_text(), re.MULTILINE)
    if match is None:
        sys.exit(f"{HEADER} defines no ZALVO_VERSION")
    return match.group(1)


def cache_of(build_dir):
    """The variables of a CMake build tree's cache, {} when it has none."""
    cache = build_dir / "CMakeCache.txt"
    if not cache.is_file():
        return {}
    return dict(re.findall(r"^([A-Za-z0-9_]+):[A-Z_]+=(.*)$", cache.read_text(), re.MULTILINE))


def cmake(*arguments):
    print("setup.py: cmake", " ".join(map(str, arguments)), flush=True)
    subprocess.run(["cmake", *map(str, arguments)], check=True)


class BuildWithCMake(build_ext):
    """Builds and installs the CMake project into a staging prefix, then takes the module and the libraries."""

    def run(self):
        if self.inplace:
            sys.exit("zalvo has no editable install: use the build tree, PYTHONPATH=<build>/python")
        cache = cache_of(BUILD_DIR) if GIVEN_BUILD_DIR else configure_own_build_dir()
        jobs = [] if os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL") else ["--parallel", os.cpu_count() or 1]
        cmake("--build", BUILD_DIR, *jobs)
        stage = SETUPTOOLS_DIR / "stage"
        shutil.rmtree(stage, ignore_errors=True)
        cmake("--install", BUILD_DIR, "--prefix", stage)

        module_name = "_zalvo" + sysconfig.get_config_var("EXT_SUFFIX")
        module = stage / cache["ZALVO_PYTHON_INSTALL_DIR"] / "zalvo" / module_name
        if not module.is_file():
            built = sorted(p.name for p in module.parent.glob("_zalvo*"))
            sys.exit(f"{BUILD_DIR} holds {built or 'no module'}, not {module_name} for {sys.executable}: "
                     f"configure it with -DPython_EXECUTABLE={sys.executable}")
        libraries = [p for p in (stage / cache["CMAKE_INSTALL_LIBDIR"]).iterdir() if _SHARED_LIBRARY.fullmatch(p.name)]
        package = Path(self.build_lib) / "zalvo"
        package.mkdir(parents=True, exist_ok=True)
        # Under their run-time names (the sonames), as files: a wheel holds no symbolic links.
        for source in [module, *libraries]:
            shutil.copyfile(source.resolve(), package / source.name)
            print(f"setup.py: packed {source.name}", flush=True)


def configure_own_build_dir():
    """Configures build/wheel the first time, and again for another Python; returns its cache."""
    cache = cache_of(BUILD_DIR)
    if cache.get("Python_EXECUTABLE") != sys.executable:
        # A configured tree keeps its generator; a new one gets Ninja where there is one.
        generator = ["-G", "Ninja"] if shutil.which("ninja") and not cache else []
        cmake("-S", REPOSITORY, "-B", BUILD_DIR, *generator, "-DCMAKE_BUILD_TYPE=Release", "-DZALVO_PYTHON=ON",
              "-DZALVO_BUILD_TESTS=OFF", f"-DPython_EXECUTABLE={sys.executable}")
    return cache_of(BUILD_DIR)


def check_given_build_dir():
    """Stops, before anything is written, unless ZALVO_CMAKE_BUILD_DIR is a configured build of the package."""
    if not BUILD_DIR.is_absolute():
        sys.exit(f"ZALVO_CMAKE_BUILD_DIR must be an absolute path (pip runs this from {REPOSITORY / 'python'}), "
                 f"not {GIVEN_BUILD_DIR}: e.g. $PWD/{GIVEN_BUILD_DIR}")
    cache = cache_of(BUILD_DIR)
    if not cache:
        sys.exit(f"ZALVO_CMAKE_BUILD_DIR={BUILD_DIR} is no configured CMake build tree")
    if cache.get("ZALVO_PYTHON", "").upper() not in _ON:
        sys.exit(f"ZALVO_CMAKE_BUILD_DIR={BUILD_DIR} does not build the Python package: configure it with "
                 f"-DZALVO_PYTHON=ON (e.g. cmake --preset python), or leave ZALVO_CMAKE_BUILD_DIR unset")


if GIVEN_BUILD_DIR:
    check_given_build_dir()
# A fresh start for setuptools' folders: what an earlier wheel held must not slip into this one.
shutil.rmtree(SETUPTOOLS_DIR / "build", ignore_errors=True)
SETUPTOOLS_DIR.mkdir(parents=True, exist_ok=True)
setup(
    version=version(),
    # No sources of its own: BuildWithCMake puts the module there. It makes the wheel one for this platform.
    ext_modules=[Extension("zalvo._zalvo", sources=[])],
    cmdclass={"build_ext": BuildWithCMake},
    options={"build": {"build_base": str(SETUPTOOLS_DIR / "build")},
             "egg_info": {"egg_base": str(SETUPTOOLS_DIR)}},
)
