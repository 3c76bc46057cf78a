"""zalvo.plan against the planner: the golden reports of the example plates, the planner binary itself, and the
image and option rules they share."""

import dataclasses
import inspect
import json
import re
import subprocess

import matplotlib.image
import numpy as np
import pytest

import zalvo
from conftest import EXAMPLE_NAMES, WHITE, Example, BUILD_DIRECTORY, pixels, without_timings

PLATE = np.full((32, 64), 255, np.uint8)


@pytest.fixture(scope="module", params=EXAMPLE_NAMES)
def planned(request):
    example = Example(request.param)
    return example.expected, zalvo.plan(example.image, **example.options)


def test_report_and_arrays_equal_the_golden_ones(planned):
    expected, result = planned
    assert without_timings(json.loads(result.to_json())) == expected
    assert (result.source, result.status, result.message) == \
        (expected["plate"]["source"], expected["status"], expected.get("reason"))
    assert (pixels(result.sparse_path), pixels(result.cut_line)) == (expected["sparsePath"], expected["cutLine"])
    if expected["foundPath"] is None:
        assert result.found_path is None and result.optimized_paths is None
    else:
        paths = result.optimized_paths
        assert (pixels(result.found_path), paths.taken) == (expected["foundPath"], expected["optimizedPaths"]["taken"])
        for direction in ("up", "down"):
            got, wanted = getattr(paths, direction), expected["optimizedPaths"][direction]
            assert (got.shift, got.cost, pixels(got.pixels)) == (wanted["shift"], wanted["cost"], wanted["pixels"])
    kinds = {zalvo.HorizontalRoom: "horizontal", zalvo.VerticalRoom: "vertical", zalvo.NoRoom: "none"}
    assert [kinds[type(room)] for room in result.rooms] == [room["kind"] for room in expected["rooms"]]
    for room, wanted in zip(result.rooms, expected["rooms"]):
        assert all(pixels(getattr(room, key)) == value for key, value in wanted.items() if key != "kind")


def test_repr_is_one_short_line_of_facts_and_timings_name_every_stage_run(planned):
    expected, result = planned
    plate, text = expected["plate"], repr(result)
    assert "\n" not in text and len(text) <= 200 and re.search(r", \d+\.\d ms", text)
    assert text.startswith(f"<PlanResult {plate['source']}: {result.status}, {plate['columns']} x {plate['rows']} px")
    stages = {"readImage", "createTerrain", "findShortestPixelPath"}
    if result.status == "ok":
        assert f", {len(result.cut_line)} corners, {len(result.rooms)} rooms, " in text
        assert "\n" not in repr(result.optimized_paths) and len(repr(result.optimized_paths)) <= 200
        stages |= {"optimizePixelPath", "calculateWiggleRooms", "adjustRows", "sparsePath"}
        # A long reason is shown on the same line, shortened.
        text = repr(dataclasses.replace(result, status="no-path", message="blocked\nat row 3; " * 30))
        assert "\n" not in text and text.endswith(": " + ("blocked at row 3; " * 6)[:97] + "...>")
    else:
        assert f" ms: {result.message[:40]}" in text
    assert set(result.timings) == stages and all(ms >= 0 for ms in result.timings.values())


class TestImageArrays:
    """An image handed over as an array follows the same colour rules as the file."""

    @pytest.mark.parametrize("convert", [
        lambda rgb: rgb, lambda rgb: np.dstack([rgb, np.full(rgb.shape[:2], 255, np.uint8)]),
        lambda rgb: np.ascontiguousarray(rgb[:, ::-1])[:, ::-1]], ids=["rgb", "opaque-rgba", "non-contiguous"])
    def test_an_array_plans_like_the_file(self, blobs, convert):
        rgb = np.round(matplotlib.image.imread(str(blobs.image))[:, :, :3] * 255).astype(np.uint8)  # as zalvo reads it
        result = zalvo.plan(convert(rgb), resolution=100, **blobs.options)
        expected = dict(blobs.expected, plate=dict(blobs.expected["plate"], source="array", resolutionSource="option"))
        assert without_timings(json.loads(result.to_json())) == expected

    def test_grey_array_uses_the_grey_rules(self):
        result = zalvo.plan(np.array([[255, 200, 191, 64, 63, 0]] * 4, np.uint8), min_distance="0px",
                            preferred_distance="0px")
        assert result.pixel_classes[0].tolist() == [0, 0, 1, 1, 2, 2]


def other_values():
    """A value other than its default for every plan option: zalvo-plan's arguments, and plan()'s keywords
    (a distance as a Distance, which brings its own millipoints)."""
    arguments, keywords = [], {}
    for option in zalvo._zalvo._PLAN_OPTIONS:
        default = zalvo.PLAN_DEFAULTS[option["name"]]
        value = {"resolution": lambda: 150.0, "length": lambda: zalvo.pt(2), "choice": lambda: option["choices"][-1][0],
                 "pixels": lambda: default + 1, "number": lambda: 7.5, "columns": lambda: [50]}[option["kind"]]()
        arguments += [option["flag"], str(value[0] if isinstance(value, list) else value)]
        keywords[option["name"]] = value
    return arguments, keywords


@pytest.mark.parametrize("changed", [False, True], ids=["defaults", "every-option-changed"])
def test_sample_plate_plans_like_the_planner_binary(tmp_path, changed):
    arguments, keywords = other_values() if changed else ([], {})
    subprocess.run([str(BUILD_DIRECTORY / "tools" / "zalvo-plan"), "--sample-size", "200x100", "--quiet",
                    "--no-png", "--out", str(tmp_path), *arguments], check=True)
    expected = json.loads((tmp_path / "plan.json").read_text())
    report = json.loads(zalvo.plan(zalvo.sample_plate(200, 100), **keywords).to_json())
    assert report["plate"] == dict(expected["plate"], source="array",
                                   resolutionSource="option" if changed else "default")
    for key in ("status", "parameters", "foundPath", "optimizedPaths", "rooms", "sparsePath"):
        assert report[key] == expected[key], key
    if changed:
        defaults = json.loads(zalvo.plan(zalvo.sample_plate(200, 100)).to_json())["parameters"]
        assert all(report["parameters"][key] != value for key, value in defaults.items()), "every option took effect"


class TestDistances:
    @pytest.mark.parametrize("made, text, milli_points", [
        (zalvo.mm(1.0), "1mm", 72000 / 25.4), (zalvo.Distance("1mm"), "1mm", 72000 / 25.4),
        (zalvo.cm(1), "1cm", 720000 / 25.4), (zalvo.inch(1), "1in", 72000.0), (zalvo.pt(2), "2pt", 2000.0),
        (zalvo.mpt(5), "5mpt", 5.0), (zalvo.mm(0.5), "0.5mm", 36000 / 25.4)])
    def test_units_match_their_text(self, made, text, milli_points):
        assert str(made) == text and made.milli_points == pytest.approx(milli_points)

    def test_distances_show_their_text_and_pixels_come_back_whole(self):
        assert repr(zalvo.pt(2)) == "Distance('2pt', milli_points=2000)"
        assert zalvo.mm(1) == zalvo.Distance("1mm") and zalvo.mm(1) != zalvo.Distance("1.0mm")
        # 3 px at 300 ppi: millipoints / 1000 * 300 / 72 must not exceed 3.
        assert zalvo.px(3, 300).milli_points / 1000 * 300 / 72 == 3.0

    @pytest.mark.parametrize("call, message", [
        (lambda: zalvo.Distance("2m"), "unknown unit 'm'"), (lambda: zalvo.mm(-1.0), "finite length of 0 or more"),
        (lambda: zalvo.mm(float("nan")), ""), (lambda: zalvo.mm(float("inf")), ""),
        (lambda: zalvo.Distance("3px"), "resolution"), (lambda: zalvo.px(3, 0), "resolution")])
    def test_bad_lengths_are_refused(self, call, message):
        with pytest.raises(ValueError, match=message):
            call()


@pytest.mark.parametrize("options, error, message", [
    ({"clearance": -1}, ValueError, "clearance"), ({"line_width": 1_000_001}, ValueError, "line_width"),
    ({"minimum_band": 2**40}, ValueError, "minimum_band"), ({"corner_radius": 1.5}, TypeError, "corner_radius"),
    ({"penalty_weight": float("nan")}, ValueError, "penalty_weight"), ({"resolution": 0}, ValueError, "resolution"),
    ({"shift_penalty": -0.1}, ValueError, "shift_penalty"), ({"row_policy": "wild"}, ValueError, "row_policy"),
    ({"penalty": "steep"}, ValueError, "penalty must be one of none, middle, slope"),
    ({"split_columns": [64]}, ValueError, "split_columns 64 lies beyond the plate's last column 63"),
    ({"split_columns": [-1]}, ValueError, "split_columns"), ({"colour": "red"}, TypeError, "unknown option 'colour'"),
    ({"min_distance": "97px"}, ValueError, "more than the plate's width and height together"),
    ({"min_distance": "-1mm"}, ValueError, "min_distance.*finite length of 0 or more"),
    ({"preferred_distance": 2.0}, TypeError, "preferred_distance needs a unit"),
    ({"image": np.zeros((32, 64))}, TypeError, "uint8"), ({"image": np.zeros(64, np.uint8)}, ValueError, "shape"),
    ({"image": np.zeros((32, 64, 2), np.uint8)}, ValueError, "shape"),
    ({"image": np.zeros((0, 64), np.uint8)}, ValueError, "no pixels"),
    ({"image": [[255]]}, TypeError, "image must be a file path or a numpy array"),
    ({"image": "/dev/null"}, ValueError, "the file is empty")])
def test_bad_images_and_options_are_refused_naming_them(options, error, message):
    with pytest.raises(error, match=message):
        zalvo.plan(**{"image": PLATE, **options})


def test_plan_shows_every_option_with_the_planners_default():
    parameters = inspect.signature(zalvo.plan).parameters
    assert list(parameters)[:2] == ["image", "resolution"]
    assert (parameters["min_distance"].default, parameters["line_width"].default) == ("0.5mm", 3)
    # Every option the signature shows is one that plan accepts.
    zalvo.plan(WHITE, 300, **{name: p.default for name, p in parameters.items() if name not in ("image", "resolution")})
