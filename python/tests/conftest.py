"""Shared fixtures: the example plates with their golden reports, small grids and plates, the build tree."""

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
# Nothing of hypothesis's in the source tree, and no deadlines: speed is never what a test checks.
set_hypothesis_home_dir(os.path.join(tempfile.gettempdir(), "zalvo-hypothesis"))
settings.register_profile("zalvo", database=None, deadline=None)
settings.load_profile("zalvo")

import zalvo  # noqa: E402  (after choosing the backend)

REPOSITORY = Path(__file__).resolve().parents[2]
EXAMPLES = REPOSITORY / "examples"
BUILD_DIRECTORY = Path(os.environ.get("ZALVO_BUILD_DIR", REPOSITORY / "build" / "python"))
EXAMPLE_NAMES = ["blobs", "text", "closed"]
# A LocalCluster that has not started in this time is broken, not slow.
CLUSTER_TIMEOUT_SECONDS = 120
FREE = np.zeros((4, 5), np.uint8)
WHITE = np.full((24, 48), 255, np.uint8)
ROW_PATH = np.array([[0, 1], [1, 1], [2, 1], [3, 1], [4, 1]], np.int32)
INT32_MIN, INT32_MAX = -(2**31), 2**31 - 1
PIXELS = {"min_distance": "1px", "preferred_distance": "3px"}
_PLAN_OPTIONS = {option["flag"]: option for option in zalvo._zalvo._PLAN_OPTIONS}


def pytest_configure(config):
    config.addinivalue_line("markers", "wheel: builds the wheel with pip and setuptools (deselect with -m 'not wheel')")


def options_from_arguments(arguments):
    """zalvo-plan's command-line options as plan()'s keyword arguments, by the planner's own option table."""
    options = {}
    for flag, value in zip(arguments[::2], arguments[1::2]):
        name, kind = _PLAN_OPTIONS[flag]["name"], _PLAN_OPTIONS[flag]["kind"]
        if kind == "columns":
            options.setdefault(name, []).append(int(value))
        else:
            options[name] = {"pixels": int, "number": float, "resolution": float}.get(kind, str)(value)
    return options


class Example:
    def __init__(self, name):
        self.image = next(p for p in EXAMPLES.glob(name + ".*") if p.suffix not in (".args", ".json"))
        self.options = options_from_arguments((EXAMPLES / (name + ".args")).read_text().split())
        self.expected = json.loads((EXAMPLES / (name + ".expected.json")).read_text())


@pytest.fixture(scope="session")
def blobs():
    return Example("blobs")


@pytest.fixture(scope="session")
def blobs_plan(blobs):
    return zalvo.plan(str(blobs.image), **blobs.options)


@pytest.fixture(scope="session")
def one_by_one():
    """The reports of plates(), each planned alone with PIXELS."""
    return reports(zalvo.plan(image, **PIXELS) for image in plates())


@pytest.fixture(scope="session")
def dask_client():
    """A client of a two-worker Dask cluster in this process."""
    distributed = pytest.importorskip("distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=False, dashboard_address=None,
                                  timeout=CLUSTER_TIMEOUT_SECONDS) as cluster, \
            distributed.Client(cluster, timeout=CLUSTER_TIMEOUT_SECONDS) as client:
        yield client


def without_timings(report):
    return {key: value for key, value in report.items() if key != "timings"}


def reports(results):
    return [without_timings(json.loads(result.to_json())) for result in results]


def pixels(array):
    """An (N, 2) path as a list of [x, y], the report's form."""
    return np.asarray(array).tolist()


def plates():
    """Plates that plan differently: the sample at three sizes and a plate without a line."""
    closed = np.where(np.arange(WHITE.shape[1]) == 20, 0, WHITE).astype(np.uint8)  # a wall down column 20
    return [zalvo.sample_plate(128, 64), closed, zalvo.sample_plate(96, 48), zalvo.sample_plate(64, 32)]


def terrain_of(plate, impassable=None, seeds=None, **options):
    """create_terrain without margins, at 72 pixels per inch for masks unless told (a plate object has its own)."""
    if isinstance(plate, np.ndarray):
        options.setdefault("resolution", 72)
    return zalvo.create_terrain(plate, impassable, seeds, **{"minimum_distance": 0, "preferred_distance": 0, **options})


def huge(shape, dtype=np.uint8):
    """An array of `shape` that costs no memory: every cell is the same byte."""
    return np.broadcast_to(np.zeros((), dtype), shape)


class RecordingPlate:
    """A plate object with the library's methods in snake_case, recording each call. It has no content count and
    no content edges, which the library never asks for."""

    def __init__(self, occupied, resolution, rows=None, columns=None):
        self.occupied, self.calls = occupied, []
        self.answers = {"get_resolution": resolution,
                        "get_pixel_row_count": occupied.shape[0] if rows is None else rows,
                        "get_pixel_column_count": occupied.shape[1] if columns is None else columns}

    def __getattr__(self, name):
        if name not in self.__dict__.get("answers", ()):
            raise AttributeError(name)
        return lambda: self.calls.append(name) or self.answers[name]

    def is_pixel_occupied(self, pixel):
        self.calls.append(("is_pixel_occupied", pixel))
        return bool(self.occupied[pixel[1], pixel[0]])
