"""The package as users get it: its version, an install into a prefix of its
own, and the example script."""

import os
import re
import subprocess
import sys
from pathlib import Path

import pytest

import zalvo
from conftest import REPOSITORY, build_directory


def test_version_is_the_headers():
    header = (REPOSITORY / "include" / "zalvo" / "zalvo.h").read_text()
    assert zalvo.__version__ == re.search(r'#define ZALVO_VERSION "([^"]+)"', header).group(1)


def python_without_the_build_tree(**extra):
    environment = {key: value for key, value in os.environ.items() if key != "PYTHONPATH"}
    environment.update(extra)
    return environment


@pytest.fixture(scope="module")
def installed_prefix(tmp_path_factory):
    prefix = tmp_path_factory.mktemp("prefix")
    subprocess.run(["cmake", "--install", str(build_directory()), "--prefix", str(prefix)], check=True,
                   stdout=subprocess.DEVNULL)
    return prefix


def test_an_install_imports_from_its_own_prefix_and_plans(installed_prefix, tmp_path):
    packages = list(installed_prefix.glob("lib*/python3*/site-packages"))
    assert len(packages) == 1, "the package goes to the prefix's Python directory"
    script = ("import zalvo, json; print(zalvo.__file__); "
              "print(json.loads(zalvo.plan(zalvo.sample_plate()).to_json())['status'])")
    # From another directory, so that nothing of the build tree or the sources can be picked up.
    run = subprocess.run([sys.executable, "-c", script], cwd=tmp_path, capture_output=True, text=True,
                         env=python_without_the_build_tree(PYTHONPATH=str(packages[0])))
    assert run.returncode == 0, run.stderr
    location, status = run.stdout.split()
    assert Path(location).is_relative_to(installed_prefix)
    assert status == "ok"


def test_the_example_saves_its_figure(tmp_path):
    figure = tmp_path / "plate.png"
    run = subprocess.run([sys.executable, str(REPOSITORY / "python" / "examples" / "plan_a_plate.py"), str(figure)],
                         capture_output=True, text=True, env=dict(os.environ, MPLBACKEND="Agg"))
    assert run.returncode == 0, run.stderr
    assert figure.read_bytes().startswith(b"\x89PNG")
    assert "corners" in run.stdout
