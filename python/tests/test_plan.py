"""zalvo.plan against the planner: the golden reports of the example plates,
the planner binary itself, and the image and option rules they share."""

import dataclasses
import json
import re
import subprocess

import matplotlib.image
import numpy as np
import pytest

import zalvo
from conftest import build_directory, pixels, without_timings


def rgb_of(path):
    """The 8-bit RGB samples of a PNG file, as the planner reads them."""
    return np.round(matplotlib.image.imread(str(path))[:, :, :3] * 255).astype(np.uint8)


class TestExamplePlates:
    def test_report_equals_the_golden_one(self, example):
        result = zalvo.plan(str(example.image), **example.options)
        report = json.loads(result.to_json())
        assert without_timings(report) == example.expected

    def test_paths_equal_the_golden_ones_point_for_point(self, example):
        result = zalvo.plan(example.image, **example.options)
        assert result.status == example.expected["status"]
        assert (result.source, result.message) == (example.expected["plate"]["source"], example.expected.get("reason"))
        assert pixels(result.sparse_path) == example.expected["sparsePath"]
        if example.expected["foundPath"] is None:
            assert result.found_path is None and result.optimized_paths is None
        else:
            assert pixels(result.found_path) == example.expected["foundPath"]
            expected = example.expected["optimizedPaths"]
            assert result.optimized_paths.taken == expected["taken"]
            for direction in ("up", "down"):
                shifted = getattr(result.optimized_paths, direction)
                assert pixels(shifted.pixels) == expected[direction]["pixels"]
                assert (shifted.shift, shifted.cost) == (expected[direction]["shift"], expected[direction]["cost"])

    def test_repr_is_one_short_line_of_facts_never_the_arrays(self, example):
        result = zalvo.plan(example.image, **example.options)
        plate, text = example.expected["plate"], repr(result)
        assert "\n" not in text and len(text) <= 200
        size = f"{plate['columns']} x {plate['rows']} px"
        assert text.startswith(f"<PlanResult {plate['source']}: {result.status}, {size}")
        if result.status == "ok":
            assert f", {len(result.cut_line)} corners, {len(result.rooms)} rooms, " in text
            assert "\n" not in repr(result.optimized_paths) and len(repr(result.optimized_paths)) <= 200
        else:
            assert f" ms: {result.message[:40]}" in text
        assert re.search(r", \d+\.\d ms", text)

    def test_rooms_carry_the_reported_fields(self, example):
        result = zalvo.plan(example.image, **example.options)
        kinds = {zalvo.HorizontalRoom: "horizontal", zalvo.VerticalRoom: "vertical", zalvo.NoRoom: "none"}
        assert [kinds[type(room)] for room in result.rooms] == [room["kind"] for room in example.expected["rooms"]]
        for room, expected in zip(result.rooms, example.expected["rooms"]):
            for key, value in expected.items():
                if key != "kind":
                    assert pixels(getattr(room, key)) == value

    def test_timings_name_every_stage_run(self, example):
        result = zalvo.plan(example.image, **example.options)
        stages = {"readImage", "createTerrain", "findShortestPixelPath"}
        if result.status == "ok":
            stages |= {"optimizePixelPath", "calculateWiggleRooms", "adjustRows", "sparsePath"}
        assert set(result.timings) == stages
        assert all(ms >= 0 for ms in result.timings.values())


def test_repr_shows_a_long_reason_on_the_same_line_shortened(blobs_plan):
    text = repr(dataclasses.replace(blobs_plan, status="no-path", message="blocked\nat row 3; " * 30))
    assert "\n" not in text and len(text) <= 200 and text.endswith("...>") and "blocked at row 3; blocked" in text


def test_the_cut_line_drops_exactly_the_points_between_their_neighbours(blobs_plan):
    sparse, cut = pixels(blobs_plan.sparse_path), pixels(blobs_plan.cut_line)
    assert cut[0] == sparse[0] and cut[-1] == sparse[-1]
    assert len(cut) < len(sparse)
    kept = iter(sparse)
    assert all(point in kept for point in cut), "the cut line keeps the sparse path's order"
    for before, middle, after in zip(cut, cut[1:], cut[2:]):
        turn = (middle[0] - before[0]) * (after[1] - middle[1]) - (middle[1] - before[1]) * (after[0] - middle[0])
        assert turn != 0, f"{middle} lies on a straight line between its neighbours"


class TestImageArrays:
    """An image handed over as an array follows the same colour rules as the file."""

    def report_of_array(self, blobs, image):
        result = zalvo.plan(image, resolution=100, **blobs.options)
        return without_timings(json.loads(result.to_json()))

    def expected_for_array(self, blobs):
        expected = dict(blobs.expected)
        expected["plate"] = dict(expected["plate"], source="array", resolutionSource="option")
        return expected

    def test_rgb_array_plans_like_the_file(self, blobs):
        assert self.report_of_array(blobs, rgb_of(blobs.image)) == self.expected_for_array(blobs)

    def test_opaque_rgba_array_plans_like_the_file(self, blobs):
        rgb = rgb_of(blobs.image)
        rgba = np.concatenate([rgb, np.full(rgb.shape[:2] + (1,), 255, np.uint8)], axis=2)
        assert self.report_of_array(blobs, rgba) == self.expected_for_array(blobs)

    def test_non_contiguous_array_is_read_by_copying(self, blobs):
        flipped_twice = np.ascontiguousarray(rgb_of(blobs.image)[:, ::-1])[:, ::-1]
        assert not flipped_twice.flags.c_contiguous
        assert self.report_of_array(blobs, flipped_twice) == self.expected_for_array(blobs)

    @pytest.mark.parametrize(
        "colour, expected_class",
        [
            ((255, 255, 255, 255), zalvo.PixelClass.FREE),
            ((0, 0, 0, 0), zalvo.PixelClass.FREE),  # transparent black is laid over white
            ((0, 0, 0, 255), zalvo.PixelClass.IMPASSABLE),
            ((128, 128, 128, 255), zalvo.PixelClass.CROSSABLE),
            ((255, 0, 0, 255), zalvo.PixelClass.SEED),
            ((191, 191, 191, 255), zalvo.PixelClass.CROSSABLE),
            ((192, 192, 192, 255), zalvo.PixelClass.FREE),
        ],
    )
    def test_colour_rules(self, colour, expected_class):
        image = np.full((24, 48, 4), 255, np.uint8)
        image[10, 20] = colour
        result = zalvo.plan(image, min_distance="0px", preferred_distance="0px")
        assert result.pixel_classes[10, 20] == expected_class
        assert np.count_nonzero(result.pixel_classes) == (expected_class != zalvo.PixelClass.FREE)

    def test_grey_array_uses_the_grey_rules(self):
        image = np.array([[255, 200, 191, 64, 63, 0]] * 4, np.uint8)
        result = zalvo.plan(image, min_distance="0px", preferred_distance="0px")
        assert result.pixel_classes[0].tolist() == [0, 0, 1, 1, 2, 2]

    def test_the_default_resolution_is_300(self):
        report = json.loads(zalvo.plan(np.full((32, 64), 255, np.uint8)).to_json())
        assert report["plate"]["resolution"] == 300.0
        assert report["plate"]["resolutionSource"] == "default"


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
    planner = build_directory() / "tools" / "zalvo-plan"
    subprocess.run([str(planner), "--sample-size", "200x100", "--quiet", "--no-png", "--out", str(tmp_path),
                    *arguments], check=True)
    expected = json.loads((tmp_path / "plan.json").read_text())
    result = zalvo.plan(zalvo.sample_plate(200, 100), **keywords)
    report = json.loads(result.to_json())
    resolution_source = "option" if changed else "default"
    assert report["plate"] == dict(expected["plate"], source="array", resolutionSource=resolution_source)
    for key in ("status", "parameters", "foundPath", "optimizedPaths", "rooms", "sparsePath"):
        assert report[key] == expected[key], key
    if changed:
        defaults = json.loads(zalvo.plan(zalvo.sample_plate(200, 100)).to_json())["parameters"]
        assert all(report["parameters"][key] != value for key, value in defaults.items()), "every option took effect"
    assert pixels(result.sparse_path) == expected["sparsePath"]


class TestDistances:
    def test_units_match_their_text(self):
        assert zalvo.mm(1.0).milli_points == zalvo.Distance("1mm").milli_points == pytest.approx(72000 / 25.4)
        assert zalvo.pt(2).milli_points == 2000.0
        assert zalvo.inch(1).milli_points == 72000.0
        assert zalvo.cm(1).milli_points == pytest.approx(10 * 72000 / 25.4)
        assert zalvo.mpt(5).milli_points == 5.0

    def test_a_pixel_distance_gives_that_many_pixels_back(self):
        # 3 px at 300 ppi: millipoints / 1000 * 300 / 72 must not exceed 3.
        assert zalvo.px(3, 300).milli_points / 1000 * 300 / 72 == 3.0

    def test_distances_show_their_text(self):
        assert str(zalvo.mm(0.5)) == "0.5mm"
        assert repr(zalvo.pt(2)) == "Distance('2pt', milli_points=2000)"
        assert zalvo.mm(1) == zalvo.Distance("1mm") and zalvo.mm(1) != zalvo.Distance("1.0mm")

    def test_distance_objects_and_strings_plan_alike(self, blobs):
        as_text = json.loads(zalvo.plan(blobs.image, min_distance="0.5mm", preferred_distance="1mm").to_json())
        as_objects = json.loads(zalvo.plan(blobs.image, min_distance=zalvo.mm(0.5),
                                           preferred_distance=zalvo.mm(1)).to_json())
        assert without_timings(as_text) == without_timings(as_objects)

    @pytest.mark.parametrize(
        "text, message",
        [("2", "has no unit"), ("2m", "unknown unit 'm'"), ("-1mm", "finite length of 0 or more"),
         ("mm", "does not start with a number"), ("1e999mm", "too large")],
    )
    def test_bad_text_is_refused_like_the_planner_refuses_it(self, text, message):
        with pytest.raises(ValueError, match=message):
            zalvo.Distance(text)
        with pytest.raises(ValueError, match="min_distance"):
            zalvo.plan(np.full((32, 64), 255, np.uint8), min_distance=text)

    @pytest.mark.parametrize("value", [-1.0, float("nan"), float("inf")])
    def test_negative_and_non_finite_lengths_are_refused(self, value):
        with pytest.raises(ValueError):
            zalvo.mm(value)

    def test_pixels_need_a_resolution(self):
        with pytest.raises(ValueError, match="resolution"):
            zalvo.Distance("3px")
        with pytest.raises(ValueError, match="resolution"):
            zalvo.px(3, 0)

    def test_plan_wants_a_unit(self):
        with pytest.raises(TypeError, match="preferred_distance needs a unit"):
            zalvo.plan(np.full((32, 64), 255, np.uint8), preferred_distance=2.0)


class TestPlanOptions:
    plate = np.full((32, 64), 255, np.uint8)

    @pytest.mark.parametrize(
        "options, error, message",
        [
            ({"clearance": -1}, ValueError, "clearance"),
            ({"line_width": 1_000_001}, ValueError, "line_width"),
            ({"minimum_band": 2**40}, ValueError, "minimum_band"),
            ({"corner_radius": 1.5}, TypeError, "corner_radius"),
            ({"penalty_weight": float("nan")}, ValueError, "penalty_weight"),
            ({"shift_penalty": -0.1}, ValueError, "shift_penalty"),
            ({"penalty": "steep"}, ValueError, "penalty must be one of none, middle, slope"),
            ({"row_policy": "wild"}, ValueError, "row_policy"),
            ({"resolution": 0}, ValueError, "resolution"),
            ({"split_columns": [64]}, ValueError, "split_columns 64 lies beyond the plate's last column 63"),
            ({"split_columns": [-1]}, ValueError, "split_columns"),
            ({"min_distance": "97px"}, ValueError, "more than the plate's width and height together"),
            ({"colour": "red"}, TypeError, "unknown option 'colour'"),
        ],
    )
    def test_bad_options_are_refused_naming_them(self, options, error, message):
        with pytest.raises(error, match=message):
            zalvo.plan(self.plate, **options)

    @pytest.mark.parametrize(
        "image, error, message",
        [
            (np.zeros((32, 64), np.float64), TypeError, "uint8"),
            (np.zeros((32, 64, 2), np.uint8), ValueError, "shape"),
            (np.zeros((0, 64), np.uint8), ValueError, "no pixels"),
            (np.zeros(64, np.uint8), ValueError, "shape"),
            ([[255]], TypeError, "image must be a file path or a numpy array"),
        ],
    )
    def test_bad_images_are_refused(self, image, error, message):
        with pytest.raises(error, match=message):
            zalvo.plan(image)

    def test_an_empty_file_is_refused_naming_it(self, tmp_path):
        (tmp_path / "empty.png").write_bytes(b"")
        with pytest.raises(ValueError, match="empty"):
            zalvo.plan(tmp_path / "empty.png")


def test_plan_shows_every_option_with_the_planners_default():
    import inspect

    parameters = inspect.signature(zalvo.plan).parameters
    assert list(parameters)[:2] == ["image", "resolution"]
    assert parameters["min_distance"].default == "0.5mm"
    assert parameters["line_width"].default == 3
    # Every option the signature shows is one that plan accepts.
    options = {name: p.default for name, p in parameters.items() if name not in ("image", "resolution")}
    zalvo.plan(np.full((32, 64), 255, np.uint8), 300, **options)
