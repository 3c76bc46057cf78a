"""Misuse of the package (README's rows for it): each raises an exception naming what was wrong, before any
costly work; none may crash the interpreter."""

import copy
import json
import math
import pickle
import tracemalloc
from pathlib import Path

import numpy as np
import pytest
from hypothesis import given, settings, strategies as st

import zalvo
from conftest import FREE, PIXELS, ROW_PATH, WHITE, RecordingPlate, huge, plates, reports, terrain_of

ROOMS = [zalvo.HorizontalRoom(minColumn=0, maxColumn=4, maxRow=3, minRow=0, endStretch=1, row=1)]
INT32 = st.integers(-2**31, 2**31 - 1)
# Every class the extension binds, found rather than listed, with arguments its constructor needs.
BOUND_CLASSES = [c for c in vars(zalvo._zalvo).values() if isinstance(c, type) and type(c) is type(zalvo.Distance)]
CONSTRUCTOR_ARGUMENTS = {zalvo.Distance: ("1mm",)}


def unconstructed(cls):
    return cls.__new__(cls)


class TestObjectsMadeWithoutTheirConstructor:
    def test_every_bound_class_is_covered(self):
        assert {c.__name__ for c in BOUND_CLASSES} == {"Distance", "HorizontalRoom", "VerticalRoom", "NoRoom"}

    @pytest.mark.parametrize("cls", BOUND_CLASSES, ids=lambda c: c.__name__)
    def test_every_use_is_refused_naming_the_cause(self, cls):
        made, properties = unconstructed(cls), [name for name, item in vars(cls).items() if isinstance(item, property)]
        assert repr(made) == f"<{cls.__name__} made by __new__ without __init__>"
        uses = [lambda: made == made, lambda: pickle.dumps(made), lambda: copy.deepcopy(made)]
        uses += [lambda name=name: getattr(made, name) for name in properties]
        uses += [lambda name=name: setattr(made, name, ROW_PATH if name == "pixels" else 0)
                 for name in properties if vars(cls)[name].fset is not None]
        if cls is zalvo.Distance:
            uses += [lambda: float(made), lambda: str(made), lambda: hash(made), lambda: zalvo.mm(1) == made]
        for use in uses:
            with pytest.raises(TypeError, match=f"{cls.__name__}.__new__ without __init__"):
                use()
        # Passed to a function, it is named as that function's argument.
        with pytest.raises(TypeError, match=rf"^(minimum_distance|rooms\[0\]): this {cls.__name__} was made by"):
            if cls is zalvo.Distance:
                zalvo.create_terrain(FREE, minimum_distance=made, preferred_distance=0, resolution=72)
            zalvo.calculate_sparse_pixel_path_through_wiggle_rooms([made])

    @pytest.mark.parametrize("cls", BOUND_CLASSES, ids=lambda c: c.__name__)
    def test_init_or_setstate_afterwards_gives_a_whole_object(self, cls):
        made, restored = unconstructed(cls), unconstructed(cls)
        made.__init__(*CONSTRUCTOR_ARGUMENTS.get(cls, ()))
        restored.__setstate__(made.__getstate__())
        assert made == restored == cls(*CONSTRUCTOR_ARGUMENTS.get(cls, ()))


def round_trips(made):
    assert pickle.loads(pickle.dumps(made)) == made and repr(copy.deepcopy(made)) == repr(made)


class TestPickledStates:
    @given(st.sampled_from([zalvo.HorizontalRoom, zalvo.VerticalRoom]), st.lists(INT32, min_size=7, max_size=7))
    def test_box_rooms_round_trip(self, cls, fields):
        round_trips(cls(*fields))

    @given(st.lists(st.tuples(INT32, INT32), max_size=5), INT32, INT32)
    def test_no_rooms_round_trip(self, points, first, end):
        round_trips(zalvo.NoRoom(np.array(points, np.int32).reshape(-1, 2), first, end))

    @given(st.sampled_from(["mm", "cm", "inch", "pt", "mpt", "px"]), st.floats(0, 1e6))
    def test_distances_round_trip(self, unit, value):
        round_trips(zalvo.px(value, 300) if unit == "px" else getattr(zalvo, unit)(value))

    @pytest.mark.parametrize("cls, state, error, message", [
        (zalvo.Distance, [0.0, "0mm"], TypeError, r"Distance state must be a tuple \(milli_points, text\), not"),
        (zalvo.Distance, (0.0,), ValueError, "Distance state must hold 2 fields"),
        (zalvo.Distance, ("0", "0mm"), TypeError, "milli_points must be a number, not str"),
        (zalvo.Distance, (True, "1mpt"), TypeError, "milli_points must be a number, not bool"),
        (zalvo.Distance, (0.0, 0), TypeError, "text must be a str, not int"),
        (zalvo.Distance, (-1.0, "1mm"), ValueError, "milli_points must be a finite number of 0 or more, not -1"),
        (zalvo.Distance, (math.nan, "1px"), ValueError, "finite number of 0 or more, not nan"),
        (zalvo.Distance, (math.inf, "1px"), ValueError, "finite number of 0 or more, not inf"),
        (zalvo.Distance, (1.0, "1 furlong"), ValueError, "Distance state text"),
        (zalvo.Distance, (5.0, "1mm"), ValueError, "milli_points 5 is not the text '1mm', which gives 2834.6"),
        (zalvo.HorizontalRoom, (0,) * 6, ValueError, "HorizontalRoom state must hold 7 fields, not 6"),
        (zalvo.VerticalRoom, (0,) * 6 + ("1",), TypeError, "VerticalRoom state column must be an int, not str"),
        (zalvo.HorizontalRoom, (2**31,) + (0,) * 6, ValueError, "state minColumn = 2147483648 lies outside"),
        (zalvo.HorizontalRoom, (-2**31 - 1,) + (0,) * 6, ValueError, "minColumn = -2147483649 lies outside"),
        (zalvo.HorizontalRoom, (2**70,) + (0,) * 6, ValueError, "minColumn = 1180591620717411303424 lies outside"),
        (zalvo.NoRoom, (ROW_PATH.astype(float), 0, 0), TypeError, "NoRoom state pixels must have dtype int32"),
        (zalvo.NoRoom, (np.zeros((2, 3), np.int32), 0, 0), ValueError, r"NoRoom state pixels must have shape"),
        (zalvo.NoRoom, (ROW_PATH, None, 0), TypeError, "NoRoom state firstStretch must be an int")])
    def test_wrong_states_are_refused_naming_the_field(self, cls, state, error, message):
        made = unconstructed(cls)
        with pytest.raises(error, match=message):
            made.__setstate__(state)
        assert repr(made).endswith("made by __new__ without __init__>"), "a refused state leaves nothing behind"


class TestPlanMany:
    @pytest.mark.parametrize("items", ["plate.png", b"plate.png", Path("plate.png"), FREE, np.zeros((4, 5, 3)), 5])
    def test_one_image_in_place_of_many_is_refused(self, items):
        with pytest.raises(TypeError, match="items must be a list of images"):
            zalvo.plan_many(items)

    @pytest.mark.parametrize("arguments, error, message", [
        ({"workers": "2"}, TypeError, "workers must be a positive int, not str"),
        ({"workers": 1.5}, TypeError, "not float"), ({"workers": True}, TypeError, "not bool"),
        ({"workers": 0}, ValueError, "workers must be at least 1, not 0"), ({"workers": -3}, ValueError, "-3"),
        ({"errors": "ignore"}, ValueError, "errors must be 'raise' or 'return', not 'ignore'"),
        ({"errors": None}, ValueError, "errors must be"),
        ({"colour": "red"}, TypeError, "plan_many\\(\\) got an unknown option 'colour'"),
        ({"progress": "yes"}, TypeError, "progress must be True or False, not str"),
        ({"install": "sometimes"}, ValueError, "install must be 'auto', 'never' or the path of a wheel"),
        ({"install": Path("missing.whl")}, ValueError, "missing.whl"), ({"install": None}, TypeError, "NoneType")])
    def test_bad_arguments_are_refused_before_any_plate(self, arguments, error, message):
        with pytest.raises(error, match=message):
            zalvo.plan_many([Path("never-read.png")], **arguments)

    @pytest.fixture(params=["threads", "dask"])
    def planned(self, request, tmp_path):
        """Two good plates around a missing file and an empty image, and plan_many's keywords for a runner."""
        runner = {"client": request.getfixturevalue("dask_client")} if request.param == "dask" else {"workers": 2}
        items = [plates()[0], tmp_path / "missing.png", np.zeros((0, 4), np.uint8), plates()[1]]
        return items, dict(runner, **PIXELS)

    def test_failures_are_raised_after_every_plate_with_the_results(self, planned, one_by_one):
        items, options = planned
        with pytest.raises(zalvo.PlanManyError) as caught:
            zalvo.plan_many(items, **options)
        assert isinstance(error := caught.value, ValueError)
        assert str(error).startswith("2 of 4 plates failed; the first is items[1] (missing.png): FileNotFoundError")
        assert [(index, source, type(exception)) for index, source, exception in error.errors] == \
            [(1, "missing.png", FileNotFoundError), (2, "array", ValueError)]
        assert error.results[1] is None and error.results[2] is None
        assert reports([error.results[0], error.results[3]]) == one_by_one[:2]
        copied = pickle.loads(pickle.dumps(error))
        assert str(copied) == str(error) and [e[:2] for e in copied.errors] == [e[:2] for e in error.errors]

    def test_failures_can_be_returned_as_results(self, planned):
        items, options = planned
        results = zalvo.plan_many(items, errors="return", **options)
        assert [(r.source, r.status) for r in results] == \
            [("array", "ok"), ("missing.png", "error"), ("array", "error"), ("array", "no-path")]
        missing, empty = results[1], results[2]
        assert missing.message.startswith("FileNotFoundError: [Errno 2] No such file or directory")
        assert empty.message == "ValueError: image has no pixels"
        assert results[0].message is None and results[3].message == json.loads(results[3].to_json())["reason"]
        assert empty.terrain.size == 0 and empty.cut_line.shape == (0, 2) and empty.found_path is None
        assert json.loads(empty.to_json()) == {"source": "array", "status": "error", "error": empty.message}
        assert repr(empty) == "<PlanResult array: error: ValueError: image has no pixels>"
        with pytest.raises(ValueError, match="array failed, there is no plan to plot"):
            empty.plot()


class TestMessagesNameTheArgument:
    @pytest.mark.parametrize("call, error, message", [
        (lambda: zalvo.plan(WHITE, split_columns=5), TypeError, "split_columns must be a sequence of ints, not int"),
        (lambda: zalvo.plan(WHITE, split_columns="12"), TypeError, "split_columns must be .* not str"),
        (lambda: zalvo.calculate_wiggle_room_around_pixel_path(ROW_PATH, FREE, 8, 3, 12, 5), TypeError,
         "split_columns must be a sequence of ints, not int"),
        (lambda: zalvo.find_shortest_pixel_path(FREE, lambda p: "cheap"), TypeError,
         "pixel_cost must return a number, not str"),
        (lambda: zalvo.optimize_pixel_path(ROW_PATH, 2, FREE, lambda p: None), TypeError,
         "pixel_cost must return a number, not NoneType"),
        (lambda: zalvo.optimize_pixel_path(ROW_PATH, 2, FREE, None, lambda d: [d]), TypeError,
         "shift_penalty must return a number, not list"),
        (lambda: terrain_of(np.ones((2, 2), bool), lambda p: np.ones(2)), TypeError,
         "impassable must return a truth value, not ndarray"),
        (lambda: terrain_of(RecordingPlate(np.ones((2, 2), bool), "72")), TypeError,
         r"plate.get_resolution\(\) must return a number, not str")])
    def test_bad_values_and_callables(self, call, error, message):
        with pytest.raises(error, match=message) as caught:
            call()
        if "must return" in message:
            assert caught.value.__cause__ is not None, "the conversion's own error stays as the cause"

    @pytest.mark.parametrize("given, message", [
        ({"minimum_distance": -1000}, "minimum_distance must be a finite length of 0 or more, not -1000mpt"),
        ({"preferred_distance": -0.5}, "preferred_distance must be a finite length"),
        ({"minimum_distance": math.nan}, "minimum_distance"), ({"preferred_distance": math.inf}, "preferred_distance")])
    def test_terrain_distances_must_be_finite_and_not_negative(self, given, message):
        with pytest.raises(ValueError, match=message):
            terrain_of(np.ones((2, 2), bool), **given)

    @pytest.mark.parametrize("given, message", [
        ({"resolution": -72}, "resolution must be a finite number of pixels per inch, 0 or more, not -72"),
        ({"resolution": math.nan}, "resolution must be"), ({"resolution": math.inf}, "resolution must be")])
    def test_terrain_resolution_must_be_finite_and_not_negative(self, given, message):
        with pytest.raises(ValueError, match=message):
            terrain_of(np.ones((2, 2), bool), **given)
        occupied = np.pad(np.ones((1, 1), bool), 2)
        assert np.count_nonzero(terrain_of(occupied, minimum_distance=zalvo.mm(1), resolution=0)) == 1, "no margin"

    def test_a_missing_image_file_is_file_not_found(self, tmp_path):
        with pytest.raises(FileNotFoundError, match="missing.png") as caught:
            zalvo.plan(tmp_path / "missing.png")
        assert caught.value.filename == str(tmp_path / "missing.png")

    @pytest.mark.parametrize("make, text", [
        (lambda: zalvo.mm(-0.0), "0mm"), (lambda: zalvo.pt(-0.0), "0pt"), (lambda: zalvo.px(-0.0, 300), "0px"),
        (lambda: [d := unconstructed(zalvo.Distance), d.__setstate__((-0.0, "0mm"))][0], "0mm")])  # a pickled -0
    def test_minus_zero_is_shown_as_zero(self, make, text):
        distance = make()
        assert str(distance) == text and repr(distance) == f"Distance('{text}', milli_points=0)"
        assert math.copysign(1, float(distance)) == 1 == math.copysign(1, zalvo.Distance("-0mm").milli_points)

    def test_lengths_beyond_a_double_are_refused(self):
        with pytest.raises(ValueError, match="'1e308in' is too large: more millipoints than a double holds"):
            zalvo.Distance("1e308in")


# Calls that take an int somewhere, with that argument to replace by a float.
INTEGER_ARGUMENTS = [
    (lambda v: zalvo.HorizontalRoom(row=v)), (lambda v: zalvo.NoRoom(firstStretch=v)),
    (lambda v: setattr(zalvo.VerticalRoom(), "column", v)), (lambda v: zalvo.get_slope(v)),
    (lambda v: zalvo.get_height(FREE, (v, 0))), (lambda v: zalvo.optimize_pixel_path(ROW_PATH, v, FREE)),
    (lambda v: zalvo.calculate_wiggle_room_around_pixel_path(ROW_PATH, FREE, 8, v, 12)),
    (lambda v: zalvo.calculate_wiggle_room_around_pixel_path(ROW_PATH, FREE, 8, 3, 12, [v])),
    (lambda v: zalvo.plan(WHITE, min_distance="0px", clearance=v)),
    (lambda v: zalvo.plan(WHITE, min_distance="0px", split_columns=[v])),
    (lambda v: zalvo.sample_plate(v, 32)), (lambda v: unconstructed(zalvo.HorizontalRoom).__setstate__((v,) * 7))]


@given(st.sampled_from(INTEGER_ARGUMENTS), st.floats())
def test_a_float_where_an_int_goes_is_refused_never_cut(call, value):
    with pytest.raises(TypeError):
        call(value)


class TestBoundsBeforeWork:
    @pytest.mark.parametrize("call, message", [
        (lambda: zalvo.find_shortest_pixel_path(huge((50000, 50000))),
         r"terrain has more cells than the 2147483648 the library accepts \(shape \(50000, 50000\)\)"),
        (lambda: zalvo.find_shortest_pixel_path(FREE, huge((50000, 50000), float)), "pixel_cost has more cells"),
        (lambda: zalvo.find_shortest_pixel_path(FREE, huge((2, 2**30), float)),  # the most cells: only the shape fails
         r"pixel_cost must have the shape \(4, 5\), not \(2, 1073741824\)"),
        (lambda: zalvo.find_shortest_pixel_path(FREE, huge((4, 10**8), float)),
         r"pixel_cost must have the shape \(4, 5\), not \(4, 100000000\)"),
        (lambda: zalvo.optimize_pixel_path(ROW_PATH, 0, FREE, None, huge((2**31 + 1,), float)),
         "shift_penalty has more entries than there are distances"),
        (lambda: zalvo.get_row_count(np.lib.stride_tricks.as_strided(FREE, (2**31, 2**31), (0, 0))),
         r"shape \(2147483648, 2147483648\)"),
        (lambda: terrain_of(huge((50000, 50000), bool)), "occupied has more cells"),
        (lambda: terrain_of(np.ones((2, 2), bool), huge((2, 10**9), bool)),
         r"impassable must have the shape \(2, 2\), not \(2, 1000000000\)"),
        (lambda: zalvo.plan(huge((12000, 12000, 4))), "image of 12000x12000 pixels exceeds the planner's limit"),
        (lambda: zalvo.plan(huge((2, 10**8))), "image of 100000000x2 pixels exceeds")])
    def test_oversized_arrays_are_refused_before_they_are_copied(self, call, message):
        tracemalloc.start()
        try:
            with pytest.raises(ValueError, match=message):
                call()
            peak = tracemalloc.get_traced_memory()[1]
        finally:
            tracemalloc.stop()
        assert peak < 1 << 20, f"{peak} bytes allocated before the refusal"

    def test_a_cost_grid_is_zero_beyond_the_terrain_and_never_read_there(self):
        """A path may run past the terrain's columns: there a cost grid gives 0, as a callable saying so does."""
        rng = np.random.default_rng(5)
        for _ in range(100):
            rows, columns, row, clearance = (int(n) for n in rng.integers((3, 2, 0, 0), (8, 6, 3, 3)))
            terrain = np.where(rng.random((rows, columns)) < 0.2, 200, 0).astype(np.uint8)
            costs, path = rng.uniform(0, 5, (rows, columns)), np.array([[x, row] for x in range(columns + 2)], np.int32)
            inside = lambda p: costs[p[1] % rows, p[0]] if p[0] < columns else 0.0  # noqa: E731
            lines = [zalvo.optimize_pixel_path(path, clearance, terrain, cost) for cost in (costs, inside)]
            assert all(map(np.array_equal, *lines)), (rows, columns, row, clearance)

    def test_rgba_arrays_wider_than_a_million_pixels_are_laid_over_white(self):
        rgba = np.full((2, 1_000_001, 4), 255, np.uint8)
        rgba[:, 5] = (0, 0, 0, 255)  # a wall: no line, so that only the image is worked on
        rgba[0, 7] = (0, 0, 0, 0)  # transparent black: free paper
        rgba[1, 9] = (0, 0, 0, 255)
        over_white = np.where(rgba[:, :, 3:] == 0, 255, rgba[:, :, :3]).astype(np.uint8)
        classes = [zalvo.plan(image, min_distance="0px", preferred_distance="0px").pixel_classes
                   for image in (rgba, over_white)]
        assert np.argwhere(classes[0] != zalvo.PixelClass.FREE).tolist() == [[0, 5], [1, 5], [1, 9]]
        assert np.array_equal(classes[0], classes[1])


JUNK_VALUES = [
    None, True, -1, 0, 7, 2**31, -2**31 - 1, 2**70, -0.0, math.nan, math.inf, 1e300, "", "x", "1mm", b"1", [], [1, "a"],
    (1,), {}, object(), np.zeros(3, np.uint8), np.zeros((4, 5)), np.zeros((4, 5), bool), np.zeros((2, 2, 2), np.uint8),
    np.zeros((0, 2), np.int32), np.full((4, 5), np.nan), huge((50000, 50000)), lambda *_: "x", lambda *_: np.ones(2)]
JUNK = st.one_of(st.sampled_from(JUNK_VALUES), st.sampled_from(BOUND_CLASSES).map(unconstructed), st.floats(),
                 st.integers(-3, 40), st.text("0123456789.-e mxpint", max_size=5))
CALLS = [
    (zalvo.find_shortest_pixel_path, dict(terrain=FREE, pixel_cost=None)), (zalvo.is_horizontal, dict(path=ROW_PATH)),
    (zalvo.optimize_pixel_path, dict(path=ROW_PATH, clearance=2, terrain=FREE, pixel_cost=None, shift_penalty=None)),
    (zalvo.calculate_wiggle_room_around_pixel_path,
     dict(path=ROW_PATH, terrain=FREE, transition_half_width=8, minimum_band=3, sufficient_band=12, split_columns=())),
    (zalvo.adjust_horizontal_room_rows_for_optimal_plate_usage, dict(rooms=ROOMS, path=ROW_PATH, existing_clearance=0,
                                                                     wanted_clearance=2, corner_radius=10,
                                                                     minimum_width=2, line_width=3)),
    (zalvo.calculate_sparse_pixel_path_through_wiggle_rooms, dict(rooms=ROOMS)), (zalvo.get_slope, dict(height=3)),
    (zalvo.create_terrain, dict(plate=np.ones((3, 4), bool), impassable=None, corridor_seeds=None, minimum_distance=0,
                                preferred_distance=0, resolution=72)),
    (zalvo.get_height, dict(terrain=FREE, pixel=(1, 2))), (zalvo.px, dict(value=3, resolution=300)),
    (zalvo.Distance, dict(text="1mm", resolution=None)), (zalvo.NoRoom, dict(pixels=ROW_PATH, firstStretch=0)),
    (zalvo.VerticalRoom, dict(minColumn=0, column=0)), (zalvo.sample_plate, dict(columns=64, rows=32)),
    (zalvo.plan, dict(image=WHITE, resolution=300, min_distance="1px", clearance=2, penalty="slope", split_columns=(),
                      line_width=3))]


@settings(max_examples=300)
@given(st.sampled_from(CALLS), st.data())
def test_random_bad_arguments_raise_python_errors(call, data):
    function, arguments = call
    name = data.draw(st.sampled_from(sorted(arguments)))
    try:
        function(**dict(arguments, **{name: data.draw(JUNK)}))
    except (TypeError, ValueError, OSError, AttributeError) as error:
        # Anything else (a C++ exception pybind11 does not know, a crash) is a fault.
        assert str(error), "a refusal says why"
