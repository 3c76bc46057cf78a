"""Shared fixtures: the repository's example plates with their golden reports,
and the build tree the package under test comes from."""

import json
import os
import tempfile
from pathlib import Path

import matplotlib
import numpy as np
import pytest
from hypothesis import settings
from hypothesis.configuration import set_hypothesis_home_dir

matplotlib.use("Agg")
# Nothing of hypothesis's in the source tree (no example database, its caches
# in the temporary directory), and no deadlines: speed is never what a test checks.
set_hypothesis_home_dir(os.path.join(tempfile.gettempdir(), "zalvo-hypothesis"))
settings.register_profile("zalvo", database=None, deadline=None)
settings.load_profile("zalvo")

import zalvo  # noqa: E402  (after choosing the backend)

REPOSITORY = Path(__file__).resolve().parents[2]
EXAMPLES = REPOSITORY / "examples"
EXAMPLE_NAMES = ["blobs", "text", "closed"]
# A LocalCluster that has not started in this time is broken, not slow.
CLUSTER_TIMEOUT_SECONDS = 120
# zalvo-plan's plan options by their command-line names, from the planner's own table.
_PLAN_OPTIONS = {option["flag"]: option for option in zalvo._zalvo._PLAN_OPTIONS}


def pytest_configure(config):
    config.addinivalue_line("markers", "wheel: builds the wheel with pip and setuptools (deselect with -m 'not wheel')")


def build_directory():
    """The build tree that holds the package under test (and zalvo-plan beside it)."""
    return Path(os.environ.get("ZALVO_BUILD_DIR", REPOSITORY / "build" / "python"))


def options_from_arguments(arguments):
    """zalvo-plan's command-line options as plan()'s keyword arguments."""
    options = {}
    for flag, value in zip(arguments[::2], arguments[1::2]):
        option = _PLAN_OPTIONS[flag]
        name, kind = option["name"], option["kind"]
        if kind == "columns":
            options.setdefault(name, []).append(int(value))
        elif kind == "pixels":
            options[name] = int(value)
        elif kind in ("number", "resolution"):
            options[name] = float(value)
        else:
            options[name] = value
    return options


class Example:
    def __init__(self, name):
        self.name = name
        self.image = next(p for p in EXAMPLES.glob(name + ".*") if p.suffix not in (".args", ".json"))
        self.arguments = (EXAMPLES / (name + ".args")).read_text().split()
        self.options = options_from_arguments(self.arguments)
        self.expected = json.loads((EXAMPLES / (name + ".expected.json")).read_text())


@pytest.fixture(params=EXAMPLE_NAMES)
def example(request):
    return Example(request.param)


@pytest.fixture(scope="session")
def blobs():
    return Example("blobs")


@pytest.fixture(scope="session")
def blobs_plan(blobs):
    return zalvo.plan(str(blobs.image), **blobs.options)


@pytest.fixture(scope="session")
def dask_client():
    """A client of a two-worker Dask cluster in this process, shared by the tests that need one."""
    distributed = pytest.importorskip("distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=False, dashboard_address=None,
                                  timeout=CLUSTER_TIMEOUT_SECONDS) as cluster, \
            distributed.Client(cluster, timeout=CLUSTER_TIMEOUT_SECONDS) as client:
        yield client


def without_timings(report):
    return {key: value for key, value in report.items() if key != "timings"}


def pixels(array):
    """An (N, 2) path as a list of [x, y], the report's form."""
    return np.asarray(array).tolist()
