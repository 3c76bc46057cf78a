"""Benchmarks of the Python package (not tests: they measure, they assert nothing).

    cmake --preset python && cmake --build --preset python
    PYTHONPATH=build/python/python /usr/bin/python3 bench/python/bench_binding.py [--repeats N]

1. The binding's overhead against the C++ call on a 4000 x 2000 plate (the
   planner's built-in sample at that size): zalvo.plan on the sample as an
   RGB array against the same pipeline timed inside zalvo-plan, and
   find_shortest_pixel_path against the library's search as plan() times it.
2. The speed-up of plan_many on 1, 2 and all cores, on the example plates
   (each repeated so that every worker has plates to plan) and on mid-size
   samples. Each figure is the best of --repeats runs: the machine is shared,
   and the best run is the one least disturbed by others.
"""

import argparse
import json
import os
import subprocess
import tempfile
import time
from pathlib import Path

import zalvo

REPOSITORY = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("ZALVO_BUILD_DIR", REPOSITORY / "build" / "python"))
LARGE = (4000, 2000)
# The stages of RunPlan, the one C++ call that plan() wraps.
PIPELINE_STAGES = ("createTerrain", "findShortestPixelPath", "optimizePixelPath", "calculateWiggleRooms",
                   "adjustRows", "sparsePath")
EXAMPLE_COPIES = 20
SAMPLE_PLATES = 12
SAMPLE_SIZE = (800, 400)


def best_seconds(work, repeats):
    best = float("inf")
    for _ in range(repeats):
        start = time.perf_counter()
        work()
        best = min(best, time.perf_counter() - start)
    return best


def planner_pipeline_seconds(repeats):
    """The pipeline's time inside zalvo-plan itself (its own stage timings, without reading and drawing)."""
    best = float("inf")
    with tempfile.TemporaryDirectory() as out:
        for _ in range(repeats):
            subprocess.run([str(BUILD / "tools" / "zalvo-plan"), "--sample-size", f"{LARGE[0]}x{LARGE[1]}",
                            "--quiet", "--no-png", "--out", out], check=True)
            timings = json.loads((Path(out) / "plan.json").read_text())["timings"]
            best = min(best, sum(timings[stage] for stage in PIPELINE_STAGES) / 1000)
    return best


def overhead(repeats):
    image = zalvo.sample_plate(*LARGE)
    cpp = planner_pipeline_seconds(repeats)
    python = best_seconds(lambda: zalvo.plan(image), repeats)
    print(f"plan() on {LARGE[0]} x {LARGE[1]}: C++ pipeline in zalvo-plan {cpp * 1000:.0f} ms, "
          f"zalvo.plan {python * 1000:.0f} ms: overhead {(python - cpp) * 1000:+.0f} ms "
          f"({(python / cpp - 1) * 100:+.1f} %)")

    # Within one call: the wall time less the pipeline's own stage times is
    # the binding's work (classifying the array, results to numpy, the JSON),
    # free of the noise between separate runs.
    own_work = float("inf")
    for _ in range(repeats):
        start = time.perf_counter()
        result = zalvo.plan(image)
        wall = time.perf_counter() - start
        own_work = min(own_work, wall - sum(result.timings[stage] for stage in PIPELINE_STAGES) / 1000)
    print(f"  of one zalvo.plan call, the binding's own work (array in, results out): {own_work * 1000:.0f} ms, "
          f"reading the array {result.timings['readImage']:.0f} ms of it")

    search_in_cpp = float("inf")
    search_in_python = float("inf")
    for _ in range(repeats):
        search_in_cpp = min(search_in_cpp, zalvo.plan(image).timings["findShortestPixelPath"] / 1000)
        search_in_python = min(search_in_python,
                               best_seconds(lambda: zalvo.find_shortest_pixel_path(result.terrain), 1))
    print(f"find_shortest_pixel_path on {LARGE[0]} x {LARGE[1]}: library {search_in_cpp * 1000:.0f} ms, "
          f"through the binding {search_in_python * 1000:.0f} ms: overhead "
          f"{(search_in_python - search_in_cpp) * 1000:+.0f} ms ({(search_in_python / search_in_cpp - 1) * 100:+.1f} %)")


def speed_up(name, items, repeats, **options):
    cores = os.cpu_count() or 1
    counts = sorted({1, 2, cores})
    seconds = {n: best_seconds(lambda: zalvo.plan_many(items, workers=n, **options), repeats) for n in counts}
    row = ", ".join(f"{n} worker{'s' if n > 1 else ''}: {seconds[n] * 1000:.0f} ms (x{seconds[1] / seconds[n]:.2f})"
                    for n in counts)
    print(f"plan_many on {name} ({len(items)} plates, {cores} cores): {row}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--repeats", type=int, default=3)
    repeats = parser.parse_args().repeats
    # Other work on the machine takes cores from the workers: show how much there was.
    print("load average before: {:.2f} {:.2f} {:.2f}".format(*os.getloadavg()))
    overhead(repeats)
    examples = sorted(str(p) for p in (REPOSITORY / "examples").iterdir()
                      if p.suffix in (".png", ".pbm", ".pgm", ".ppm"))
    speed_up("the example plates", examples * EXAMPLE_COPIES, repeats, min_distance="1px", preferred_distance="3px",
             resolution=100)
    speed_up(f"samples of {SAMPLE_SIZE[0]} x {SAMPLE_SIZE[1]}", [zalvo.sample_plate(*SAMPLE_SIZE)] * SAMPLE_PLATES,
             repeats)
    print("load average after: {:.2f} {:.2f} {:.2f}".format(*os.getloadavg()))


if __name__ == "__main__":
    main()
