"""The package as users get it: its version, an install into a prefix of its own, the wheel in a fresh virtual
environment and on Dask workers that lacked zalvo, the example script and the notebook."""

import importlib.util
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import sysconfig
import time
import zipfile
from pathlib import Path

import numpy as np
import pytest

import zalvo
from conftest import CLUSTER_TIMEOUT_SECONDS, REPOSITORY, BUILD_DIRECTORY, plates, without_timings

EXAMPLES = REPOSITORY / "python" / "examples"
# A wheel build reuses the build tree; it compiles only when the sources changed since.
WHEEL_BUILD_TIMEOUT_SECONDS = 1800
CAN_BUILD_WHEELS = all(map(importlib.util.find_spec, ("pip", "setuptools", "wheel"))) and bool(shutil.which("cmake"))
PIP_WHEEL = [sys.executable, "-m", "pip", "wheel", str(REPOSITORY / "python"), "--no-build-isolation", "--no-deps",
             "--no-index", "-w"]
PLAN_THE_SAMPLE = "import zalvo; print(zalvo.__file__); print(zalvo.plan(zalvo.sample_plate()).status)"


def wheel_test(test):
    skip = pytest.mark.skipif(not CAN_BUILD_WHEELS, reason="building the wheel needs pip, setuptools, wheel and cmake")
    return pytest.mark.wheel(skip(test))


def bare_environment(home, **extra):
    """No PYTHONPATH, no library path, no variable of zalvo's: what a fresh shell of another user has."""
    return {"PATH": "/usr/local/bin:/usr/bin:/bin", "HOME": str(home), "LANG": "C.UTF-8", **extra}


def plans_from(python, folder, env):
    """Plans the sample plate in a fresh interpreter started in `folder`: the package's location and the status."""
    run = subprocess.run([str(python), "-c", PLAN_THE_SAMPLE], cwd=folder, capture_output=True, text=True, env=env)
    assert run.returncode == 0, run.stderr
    location, status = run.stdout.split()
    return Path(location), status


def test_version_is_the_headers():
    header = (REPOSITORY / "include" / "zalvo" / "zalvo.h").read_text()
    assert zalvo.__version__ == re.search(r'#define ZALVO_VERSION "([^"]+)"', header).group(1)


def test_an_install_imports_from_its_own_prefix_and_plans(tmp_path):
    prefix = tmp_path / "prefix"
    subprocess.run(["cmake", "--install", str(BUILD_DIRECTORY), "--prefix", str(prefix)], check=True,
                   stdout=subprocess.DEVNULL)
    (packages,) = prefix.glob("lib*/python3*/site-packages")
    # From another folder, so that nothing of the build tree or the sources can be picked up.
    location, status = plans_from(sys.executable, tmp_path, bare_environment(tmp_path, PYTHONPATH=str(packages)))
    assert location.is_relative_to(prefix) and status == "ok"


@pytest.fixture(scope="module")
def wheel(tmp_path_factory):
    """The wheel, built as README says, reusing the build tree under test."""
    wheelhouse = tmp_path_factory.mktemp("wheelhouse")
    run = subprocess.run(PIP_WHEEL + [str(wheelhouse)], capture_output=True, text=True,
                         env=dict(os.environ, ZALVO_CMAKE_BUILD_DIR=str(BUILD_DIRECTORY.resolve())),
                         timeout=WHEEL_BUILD_TIMEOUT_SECONDS)
    assert run.returncode == 0, run.stdout[-4000:] + run.stderr[-4000:]
    (built,) = wheelhouse.glob("*.whl")
    return built


@wheel_test
@pytest.mark.parametrize("given, cache, message", [
    ("build/python", None, "must be an absolute path"), (None, None, "is no configured CMake build tree"),
    (None, "CMAKE_BUILD_TYPE:STRING=Release\n", "does not build the Python package: configure it with -DZALVO_PYTHON")])
def test_a_wrong_build_tree_to_reuse_is_refused_before_anything_is_written(tmp_path, given, cache, message):
    build = tmp_path / "build"
    build.mkdir()
    if cache:
        (build / "CMakeCache.txt").write_text(cache)
    run = subprocess.run(PIP_WHEEL + [str(tmp_path / "wheelhouse")], capture_output=True, text=True,
                         env=dict(os.environ, ZALVO_CMAKE_BUILD_DIR=given or str(build)))
    assert run.returncode != 0 and message in run.stdout + run.stderr
    assert [path.name for path in build.iterdir()] == (["CMakeCache.txt"] if cache else [])
    assert not (REPOSITORY / "python" / "build").exists(), "a relative path was taken inside the sources"


@pytest.fixture(scope="module")
def venv(wheel, tmp_path_factory):
    """A fresh virtual environment that sees Debian's numpy, matplotlib and distributed, with the wheel installed."""
    root = tmp_path_factory.mktemp("venv")
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", "--without-pip", str(root)], check=True)
    subprocess.run([str(root / "bin" / "python"), "-m", "pip", "install", "--no-deps", "--no-index",
                    "--disable-pip-version-check", str(wheel)], check=True, capture_output=True,
                   env=bare_environment(root))
    return root / "bin" / "python"


def dynamic_section(path):
    """The (NEEDED names, RUNPATH entries) of a shared object, as the loader reads them."""
    text = subprocess.run(["readelf", "-d", str(path)], check=True, capture_output=True, text=True).stdout
    runpath = re.search(r"\((?:RUNPATH|RPATH)\).*\[(.*)\]", text)
    return re.findall(r"\(NEEDED\).*\[(.+)\]", text), runpath.group(1).split(":") if runpath else []


@wheel_test
def test_the_wheel_holds_the_package_and_the_libraries_its_module_finds_beside_itself(wheel, tmp_path):
    assert wheel.name.startswith(f"zalvo-{zalvo.__version__}-")
    module = "_zalvo" + sysconfig.get_config_var("EXT_SUFFIX")
    with zipfile.ZipFile(wheel) as archive:
        archive.extractall(tmp_path)
        package = {Path(name).name for name in archive.namelist() if name.startswith("zalvo/")}
    sources = {path.name for path in (REPOSITORY / "python" / "zalvo").glob("*.py")}
    libraries = package - sources - {module}
    assert package >= sources | {module} and libraries == {"libzalvo.so.0", "libzalvo-logging.so.0"}
    for file in [module, *libraries]:
        needed, runpath = dynamic_section(tmp_path / "zalvo" / file)
        assert all(entry.startswith("$ORIGIN") for entry in runpath), f"{file} names a fixed folder: {runpath}"
        assert {name for name in needed if "zalvo" in name} <= libraries, f"{file} needs a library the wheel lacks"
    assert dynamic_section(tmp_path / "zalvo" / module)[1][0] == "$ORIGIN"


@wheel_test
def test_the_installed_wheel_plans_from_any_folder_without_environment_variables(venv, tmp_path):
    location, status = plans_from(venv, tmp_path, bare_environment(tmp_path))
    assert location.is_relative_to(venv.parent.parent) and status == "ok"


@pytest.mark.parametrize("arguments, figure", [([], "plan/plan_a_plate.png"), (["out/plate.png"], "out/plate.png")])
def test_the_example_saves_its_figure_under_plan_or_where_told_and_explains_its_penalty(tmp_path, arguments, figure):
    run = subprocess.run([sys.executable, str(EXAMPLES / "plan_a_plate.py"), *arguments], cwd=tmp_path,
                         capture_output=True, text=True, env=dict(os.environ, MPLBACKEND="Agg"))
    assert run.returncode == 0, run.stderr
    assert [path.relative_to(tmp_path).as_posix() for path in tmp_path.rglob("*") if path.is_file()] == [figure]
    assert (tmp_path / figure).read_bytes().startswith(b"\x89PNG")
    slope, planner = (len(zalvo.plan(zalvo.sample_plate(640, 320), penalty=penalty).cut_line)
                      for penalty in ("slope", "none"))
    assert f'penalty="slope" keeps the line away from content: {slope} corners, where zalvo-plan\'s default ' \
           f'penalty="none" gives {planner}' in run.stdout


def test_the_notebook_is_stored_without_outputs_and_runs_writing_only_where_it_runs(tmp_path):
    nbformat, nbclient = pytest.importorskip("nbformat"), pytest.importorskip("nbclient")
    (stored,) = EXAMPLES.glob("*.ipynb")
    notebook = nbformat.read(stored, as_version=4)
    code = [cell for cell in notebook.cells if cell.cell_type == "code"]
    assert all(not cell.outputs and cell.execution_count is None for cell in code), "stored with outputs"
    # Raises CellExecutionError, naming the cell, when any cell fails.
    nbclient.NotebookClient(notebook, kernel_name="python3", timeout=CLUSTER_TIMEOUT_SECONDS,
                            resources={"metadata": {"path": str(tmp_path)}}).execute()
    assert {path.relative_to(tmp_path).parts[:2] for path in tmp_path.rglob("*") if path.is_file()} == \
        {("plan", "notebook")}
    shown = [output.get("data", {}).get("text/plain", "") for output in code[-1].outputs]
    assert any(text.count("<PlanResult sample-") == 3 for text in shown), shown


@pytest.fixture
def cluster_without_zalvo(tmp_path):
    """The scheduler file of a scheduler and two worker processes on 127.0.0.1, started by the dask-scheduler and
    dask-worker commands without the build tree on their path, so that they cannot import zalvo."""
    # The commands beside this interpreter first: the workers must run the Python the wheel is built for.
    scheduler, worker = (shutil.which(name, path=os.path.dirname(sys.executable)) or shutil.which(name)
                         for name in ("dask-scheduler", "dask-worker"))
    if not (scheduler and worker):
        pytest.skip("the dask-scheduler and dask-worker commands are not installed")
    scheduler_file, logs, started = tmp_path / "scheduler.json", tmp_path / "cluster.log", []
    # Each in a session of its own, ended with all its processes. The scheduler ends itself when left idle, and
    # the workers when it is gone, should this process die.
    arguments = [[scheduler, "--host", "127.0.0.1", "--port", "0", "--no-dashboard", "--idle-timeout", "600"],
                 [worker, "--host", "127.0.0.1", "--nworkers", "2", "--nthreads", "1", "--no-dashboard",
                  "--memory-limit", "0", "--death-timeout", "60", "--local-directory", str(tmp_path / "workers")]]
    try:
        with open(logs, "wb") as log:
            for command in arguments:
                started.append(subprocess.Popen(command + ["--scheduler-file", str(scheduler_file)], cwd=tmp_path,
                                                env=bare_environment(tmp_path), stdout=log, stderr=subprocess.STDOUT,
                                                start_new_session=True))
                deadline = time.monotonic() + CLUSTER_TIMEOUT_SECONDS
                while not (scheduler_file.exists() and scheduler_file.stat().st_size):
                    assert started[0].poll() is None and time.monotonic() < deadline, logs.read_text()
                    time.sleep(0.2)
        yield scheduler_file
    finally:
        for process in started:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()


PLAN_ON_THE_CLUSTER = """
import json, sys
import distributed, numpy as np, zalvo

if __name__ == "__main__":
    scheduler_file, *plates = sys.argv[1:]
    with distributed.Client(scheduler_file=scheduler_file, timeout=60) as client:
        results = zalvo.plan_many([np.load(p) for p in plates], client=client, min_distance="1px",
                                  preferred_distance="3px")
        imported = client.run(lambda: __import__("zalvo").__file__)
    print(json.dumps({"reports": [json.loads(r.to_json()) for r in results], "imported": sorted(imported.values())}))
"""


@wheel_test
def test_workers_started_without_zalvo_get_the_wheel_and_plan(cluster_without_zalvo, venv, tmp_path, one_by_one):
    distributed = pytest.importorskip("distributed")
    paths = [tmp_path / f"plate{index}.npy" for index in range(len(plates()))]
    for path, plate in zip(paths, plates()):
        np.save(path, plate)
    with distributed.Client(scheduler_file=str(cluster_without_zalvo), timeout=CLUSTER_TIMEOUT_SECONDS,
                            set_as_default=False) as client:
        client.wait_for_workers(2, timeout=CLUSTER_TIMEOUT_SECONDS)
        skipped = zalvo.plan_many(plates(), client=client, install="never", errors="return")
        assert {result.message for result in skipped} == {"ModuleNotFoundError: No module named 'zalvo'"}
        with pytest.raises(RuntimeError, match=r"not from an installed wheel.*python3 -m pip wheel \./python "):
            zalvo.plan_many(plates(), client=client)
    # The venv's zalvo was installed from the wheel: it installs that wheel on the workers.
    run = subprocess.run([str(venv), "-c", PLAN_ON_THE_CLUSTER, str(cluster_without_zalvo), *map(str, paths)],
                         cwd=tmp_path, env=bare_environment(tmp_path), capture_output=True, text=True,
                         timeout=3 * CLUSTER_TIMEOUT_SECONDS)
    assert run.returncode == 0, run.stderr[-4000:]
    planned = json.loads(run.stdout)
    assert [without_timings(report) for report in planned["reports"]] == one_by_one
    assert len(planned["imported"]) == 2
    assert all(Path(path).is_relative_to(tmp_path / "workers") for path in planned["imported"])
