"""Bad input through the binding: the rows of README's bad-input table that a
numpy caller can reach, and the binding's own checks of arrays and numbers.
Nothing here may crash the interpreter."""

import numpy as np
import pytest

import zalvo
from test_functions import RecordingPlate

INT32_MAX = 2**31 - 1
INT32_MIN = -(2**31)
FREE_GRID = np.zeros((4, 5), np.uint8)
ROW_PATH = np.array([[0, 1], [1, 1], [2, 1], [3, 1], [4, 1]], np.int32)


class PlateError(Exception):
    pass


def never_called(*_):
    raise AssertionError("must not be called")


class TestArrays:
    @pytest.mark.parametrize(
        "call, error, message",
        [
            (lambda: zalvo.find_shortest_pixel_path(FREE_GRID.astype(np.int16)), TypeError,
             "terrain must have dtype uint8, not int16"),
            (lambda: zalvo.find_shortest_pixel_path(FREE_GRID.tolist()), TypeError,
             "terrain must be a numpy array of uint8, not list"),
            (lambda: zalvo.find_shortest_pixel_path(np.zeros(5, np.uint8)), ValueError,
             r"terrain must have 2 dimensions \(rows, columns\), not 1"),
            (lambda: zalvo.find_shortest_pixel_path(np.zeros((0, 5), np.uint8)), ValueError,
             r"terrain has no cells \(shape \(0, 5\)\)"),
            (lambda: zalvo.find_shortest_pixel_path(np.zeros((4, 0), np.uint8)), ValueError, "terrain has no cells"),
            (lambda: zalvo.find_shortest_pixel_path(FREE_GRID, np.zeros((4, 5), np.float32)), TypeError,
             "pixel_cost must have dtype float64"),
            (lambda: zalvo.find_shortest_pixel_path(FREE_GRID, np.zeros((5, 4))), ValueError,
             r"pixel_cost must have the shape \(4, 5\), not \(5, 4\)"),
            (lambda: zalvo.is_horizontal(ROW_PATH.astype(np.int64)), TypeError, "path must have dtype int32"),
            (lambda: zalvo.is_horizontal(np.zeros((3, 3), np.int32)), ValueError, r"path must have shape \(N, 2\)"),
            (lambda: zalvo.create_terrain(np.zeros((3, 3), np.float64), minimum_distance=0, preferred_distance=0,
                                          resolution=72), TypeError, "occupied must have dtype bool or uint8"),
            (lambda: zalvo.create_terrain(np.zeros((3, 3), bool), np.zeros((3, 4), bool), minimum_distance=0,
                                          preferred_distance=0, resolution=72), ValueError,
             r"impassable must have the shape \(3, 3\)"),
            (lambda: zalvo.create_terrain(np.zeros((3, 3), bool), minimum_distance=0, preferred_distance=0),
             TypeError, "needs the resolution"),
            (lambda: zalvo.create_terrain(np.zeros((3, 3), bool), None, np.zeros((2, 3), np.int32),
                                          minimum_distance=0, preferred_distance=0, resolution=72),
             ValueError, "corridor_seeds must have shape"),
            (lambda: zalvo.get_height(FREE_GRID, (0, 2**31)), ValueError, "pixel y = 2147483648 lies outside"),
            (lambda: zalvo.get_height(FREE_GRID, 3), TypeError, r"pixel must be a pair \(x, y\)"),
            (lambda: zalvo.get_slope(256), ValueError, "height must lie in 0..255"),
            (lambda: zalvo.optimize_pixel_path(ROW_PATH, 2**31, FREE_GRID), ValueError, "clearance"),
            (lambda: zalvo.optimize_pixel_path(ROW_PATH, 2, FREE_GRID, None, [0.0]), TypeError, "shift_penalty"),
            (lambda: zalvo.calculate_wiggle_room_around_pixel_path(ROW_PATH, FREE_GRID, 8, 3, 12, ["a"]), TypeError,
             "split_columns item must be an int"),
            (lambda: zalvo.calculate_sparse_pixel_path_through_wiggle_rooms([zalvo.HorizontalRoom(), "room"]),
             TypeError, r"rooms\[1\] must be a HorizontalRoom, VerticalRoom or NoRoom, not str"),
        ],
    )
    def test_bad_arguments_are_named(self, call, error, message):
        with pytest.raises(error, match=message):
            call()

    def test_non_contiguous_arrays_are_read_by_copying(self):
        rng = np.random.default_rng(3)
        costs = rng.uniform(0, 5, (10, 16))
        terrain = rng.integers(0, 240, (10, 16)).astype(np.uint8)
        expected = zalvo.find_shortest_pixel_path(terrain, costs)
        fortran = zalvo.find_shortest_pixel_path(np.asfortranarray(terrain), np.asfortranarray(costs))
        strided_terrain = np.repeat(terrain, 2, axis=1)[:, ::2]
        strided_costs = np.repeat(costs, 2, axis=1)[:, ::2]
        assert not strided_terrain.flags.c_contiguous
        assert np.array_equal(fortran, expected)
        assert np.array_equal(zalvo.find_shortest_pixel_path(strided_terrain, strided_costs), expected)


class TestSearch:
    def test_throwing_penalty_passes_unchanged_and_ends_the_calls(self):
        raised = PlateError("stop")
        calls = []

        def pixel_cost(pixel):
            calls.append(pixel)
            if len(calls) == 3:
                raise raised
            return 0.0

        with pytest.raises(PlateError) as caught:
            zalvo.find_shortest_pixel_path(FREE_GRID, pixel_cost)
        assert caught.value is raised and len(calls) == 3

    def test_nan_penalty_is_rejected_naming_the_pixel(self):
        with pytest.raises(ValueError, match=r"\(1, 2\)"):
            zalvo.find_shortest_pixel_path(FREE_GRID, lambda p: float("nan") if p == (1, 2) else 0.0)

    def test_negative_cycle_is_rejected(self):
        with pytest.raises(ValueError):
            zalvo.find_shortest_pixel_path(FREE_GRID, np.full((4, 5), -10.0))

    def test_negative_but_acyclic_penalties_end(self):
        costs = np.zeros((4, 5))
        costs[1, 2] = -0.5
        assert zalvo.find_shortest_pixel_path(FREE_GRID, costs) is not None

    def test_infinite_penalties_give_no_path_or_are_rejected(self):
        assert zalvo.find_shortest_pixel_path(FREE_GRID, np.full((4, 5), np.inf)) is None
        assert zalvo.find_shortest_pixel_path(FREE_GRID, np.full((4, 5), 1e300)) is None
        with pytest.raises(ValueError):
            zalvo.find_shortest_pixel_path(FREE_GRID, np.full((4, 5), -np.inf))


def terrain_of(plate, impassable=None, minimum=0.0, preferred=0.0, seeds=None):
    return zalvo.create_terrain(plate, impassable, seeds, minimum_distance=minimum, preferred_distance=preferred)


class TestCreateTerrain:
    @pytest.mark.parametrize("rows, columns", [(-1, 3), (3, -1), (3, INT32_MIN), (2**24 + 1, 1), (1, 2**24 + 1),
                                               (2**16, 2**16)])
    def test_impossible_sizes_are_too_long_before_any_pixel(self, rows, columns):
        plate = RecordingPlate(np.zeros((1, 1), bool), 72.0, rows=rows, columns=columns)
        with pytest.raises(ValueError, match=rf"a plate of {columns} columns x {rows} rows.*vector too long"):
            terrain_of(plate, never_called)
        assert not any(isinstance(call, tuple) for call in plate.calls)

    def test_no_columns_give_an_empty_terrain_without_resolution(self):
        plate = RecordingPlate(np.zeros((3, 1), bool), 72.0, columns=0)
        assert terrain_of(plate).shape == (0, 0)
        assert "get_resolution" not in plate.calls

    def test_no_rows_give_no_cells_and_ignore_seeds(self):
        plate = RecordingPlate(np.zeros((1, 3), bool), 72.0, rows=0)
        seeds = np.array([[0, -1], [1, 0]], np.int32)
        assert terrain_of(plate, seeds=seeds).size == 0

    def test_zero_resolution_leaves_content_without_margin(self):
        occupied = np.zeros((5, 5), bool)
        occupied[2, 2] = True
        terrain = zalvo.create_terrain(occupied, minimum_distance=zalvo.mm(1), preferred_distance=zalvo.mm(2),
                                       resolution=0)
        assert np.count_nonzero(terrain) == 1

    @pytest.mark.parametrize("minimum, preferred", [(2.0**63 * 1000, 0), ((2**24 + 1) * 1000, 0),
                                                    (0, (2**24 + 1) * 1000)])
    def test_distances_wider_than_any_plate_are_too_long(self, minimum, preferred):
        occupied = np.ones((2, 2), bool)
        with pytest.raises(ValueError, match=r"a plate of 2 columns x 2 rows at .*vector too long"):
            zalvo.create_terrain(occupied, minimum_distance=minimum, preferred_distance=preferred, resolution=72)

    def test_host_exceptions_pass_unchanged(self):
        raised = PlateError("plate")

        class FailingPlate(RecordingPlate):
            def is_pixel_occupied(self, pixel):
                raise raised

        with pytest.raises(PlateError) as caught:
            terrain_of(FailingPlate(np.zeros((2, 2), bool), 72.0))
        assert caught.value is raised
        with pytest.raises(PlateError) as caught:
            zalvo.create_terrain(np.ones((2, 2), bool), lambda p: (_ for _ in ()).throw(raised),
                                 minimum_distance=0, preferred_distance=0, resolution=72)
        assert caught.value is raised

    def test_a_plate_without_its_methods_raises_attribute_error(self):
        with pytest.raises(AttributeError, match="get_pixel_row_count"):
            terrain_of(object())

    def test_seeds_off_the_plate_are_ignored(self):
        occupied = np.ones((3, 4), bool)
        off = np.array([[-1, 0], [4, 0], [0, -2], [0, 3], [INT32_MAX, INT32_MIN]], np.int32)
        assert np.array_equal(terrain_of_masks(occupied, off), terrain_of_masks(occupied, None))
        wrapped = terrain_of_masks(occupied, np.array([[1, -1]], np.int32))
        assert wrapped[2, 1] == 252, "row -1 stands for the last row"


def terrain_of_masks(occupied, seeds):
    return zalvo.create_terrain(occupied, None, seeds, minimum_distance=0, preferred_distance=0, resolution=72)


class TestOptimize:
    def test_clearance_that_overflows_the_limit_is_rejected_before_any_callable(self):
        with pytest.raises(ValueError):
            zalvo.optimize_pixel_path(ROW_PATH, INT32_MIN, FREE_GRID, never_called, never_called)
        up, down = zalvo.optimize_pixel_path(ROW_PATH, INT32_MAX, FREE_GRID)
        assert np.array_equal(up, ROW_PATH) and np.array_equal(down, ROW_PATH)

    def test_throwing_callables_pass_unchanged(self):
        raised = PlateError("shift")
        with pytest.raises(PlateError) as caught:
            zalvo.optimize_pixel_path(ROW_PATH, 2, FREE_GRID, None, lambda d: (_ for _ in ()).throw(raised))
        assert caught.value is raised

    def test_nan_costs_never_win(self):
        up, down = zalvo.optimize_pixel_path(ROW_PATH, 0, FREE_GRID, None,
                                             lambda d: 0.0 if d == 0 else float("nan"))
        assert np.array_equal(up, ROW_PATH) and np.array_equal(down, ROW_PATH)

    def test_rows_near_the_end_of_the_range_are_rejected(self):
        path = np.array([[0, INT32_MAX], [1, INT32_MAX]], np.int32)
        with pytest.raises(ValueError):
            zalvo.optimize_pixel_path(path, 0, FREE_GRID, never_called, never_called)

    def test_points_too_far_apart_are_too_long_naming_the_gap(self):
        path = np.array([[0, INT32_MIN], [4, INT32_MAX]], np.int32)
        with pytest.raises(ValueError, match="neighbours up to 4294967295 pixels apart.*vector too long"):
            zalvo.optimize_pixel_path(path, 0, FREE_GRID, never_called, never_called)

    def test_empty_path_gives_two_empty_paths(self):
        up, down = zalvo.optimize_pixel_path(np.zeros((0, 2), np.int32), 2, FREE_GRID, never_called)
        assert up.shape == down.shape == (0, 2)


class TestWiggleRooms:
    def test_empty_path_gives_no_rooms(self):
        assert zalvo.calculate_wiggle_room_around_pixel_path(np.zeros((0, 2), np.int32), FREE_GRID, 8, 3, 12) == []

    def test_path_pixels_off_the_columns_are_rejected(self):
        with pytest.raises(ValueError, match=r"\(5, 1\)"):
            zalvo.calculate_wiggle_room_around_pixel_path(np.array([[5, 1]], np.int32), FREE_GRID, 8, 3, 12)

    def test_rows_whose_bounds_leave_the_range_are_rejected(self):
        with pytest.raises(ValueError):
            zalvo.calculate_wiggle_room_around_pixel_path(np.array([[0, INT32_MAX]], np.int32), FREE_GRID, 8, 3, 12)


class TestRowAdjustmentAndSparsePath:
    rooms = [zalvo.HorizontalRoom(minColumn=0, maxColumn=4, maxRow=3, minRow=0, endStretch=1, row=1)]

    def test_empty_path_is_rejected_for_plate_usage_only(self):
        empty = np.zeros((0, 2), np.int32)
        with pytest.raises(ValueError):
            zalvo.adjust_horizontal_room_rows_for_optimal_plate_usage(self.rooms, empty, 0, 0, 0, 0, 0)
        adjusted = zalvo.adjust_horizontal_room_rows_for_preferring_stagger(self.rooms, empty, 0, 0, 0, 0, 0)
        assert adjusted[0].row == 1, "the middle of its band"

    def test_no_room_without_pixels_is_rejected_where_read(self):
        rooms = [zalvo.NoRoom(), *self.rooms]
        with pytest.raises(ValueError):
            zalvo.adjust_horizontal_room_rows_for_optimal_plate_usage(rooms, ROW_PATH, 0, 0, 0, 0, 0)
        with pytest.raises(ValueError):
            zalvo.calculate_sparse_pixel_path_through_wiggle_rooms(rooms)

    def test_parameters_whose_margins_overflow_are_rejected(self):
        with pytest.raises(ValueError):
            zalvo.adjust_horizontal_room_rows_for_optimal_plate_usage(self.rooms, ROW_PATH, INT32_MIN, INT32_MAX,
                                                                      0, 0, INT32_MAX)

    def test_the_input_rooms_are_left_alone(self):
        before = [zalvo.HorizontalRoom(minColumn=0, maxColumn=4, maxRow=3, minRow=0, endStretch=1, row=0)]
        after = zalvo.adjust_horizontal_room_rows_for_optimal_plate_usage(before, ROW_PATH, 0, 0, 0, 0, 0)
        assert before[0].row == 0 and after[0].row == 1

    def test_no_rooms_give_an_empty_path(self):
        assert zalvo.calculate_sparse_pixel_path_through_wiggle_rooms([]).shape == (0, 2)
