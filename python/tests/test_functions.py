"""The fourteen functions: the planner's pipeline step by step, grids as (rows, columns), callables as called."""

import numpy as np
import pytest

import zalvo
from conftest import INT32_MAX, INT32_MIN, ROW_PATH, RecordingPlate, pixels

FREE, CROSSABLE, IMPASSABLE, SEED = (int(c) for c in zalvo.PixelClass)
MIDDLE_ROW = np.array([[0, 2], [1, 2], [2, 2]], np.int32)  # of a 5 x 3 terrain


def test_the_pipeline_step_by_step_equals_the_planner(blobs_plan):
    classes, px = blobs_plan.pixel_classes, zalvo.px
    seeds = np.argwhere(classes == SEED)[:, ::-1].astype(np.int32)
    terrain = zalvo.create_terrain(classes != FREE, np.isin(classes, [IMPASSABLE, SEED]), seeds,
                                   minimum_distance=px(2, 100), preferred_distance=px(6, 100), resolution=100)
    assert np.array_equal(terrain, blobs_plan.terrain)
    # A plate object and an impassable callable give the terrain the masks give.
    by_object = zalvo.create_terrain(RecordingPlate(classes != FREE, 100.0), lambda p: classes[p[1], p[0]] != CROSSABLE,
                                     seeds, minimum_distance=px(2, 100), preferred_distance=px(6, 100))
    assert np.array_equal(by_object, terrain)
    found = zalvo.find_shortest_pixel_path(terrain)
    assert found.dtype == np.int32 and np.array_equal(found, blobs_plan.found_path)
    up, down = zalvo.optimize_pixel_path(found, 2, terrain, None, lambda distance: 0.1 * distance)
    planned = blobs_plan.optimized_paths
    assert (planned.taken, pixels(planned.up.pixels), pixels(planned.down.pixels)) == ("up", pixels(up), pixels(down))
    rooms = zalvo.calculate_wiggle_room_around_pixel_path(up, terrain, 8, 3, 12)
    rooms = zalvo.adjust_horizontal_room_rows_for_optimal_plate_usage(rooms, up, 0, 2, 10, 2, 3)
    assert rooms == blobs_plan.rooms
    assert np.array_equal(zalvo.calculate_sparse_pixel_path_through_wiggle_rooms(rooms), blobs_plan.sparse_path)


class TestGridLayout:
    """Arrays are (rows, columns); the library's [x][y] never shows."""

    terrain = np.array([[0, 1, 2], [10, 11, 12]], np.uint8)  # 2 rows, 3 columns

    @pytest.mark.parametrize("pixel, height", [((0, 0), 0), ((2, 0), 2), ((1, 1), 11), ((2, 3), 12), ((1, -1), 11),
                                               ((3, 0), 0), ((-1, 1), 0), ((0, INT32_MIN), 0), ((INT32_MAX, 1), 0)])
    def test_heights_wrap_rows_and_read_0_off_the_columns(self, pixel, height):
        assert zalvo.get_height(self.terrain, pixel) == height

    def test_terrain_comes_back_as_rows_and_columns(self):
        occupied = np.arange(15).reshape(3, 5) == 4  # only the top right pixel
        terrain = zalvo.create_terrain(occupied, minimum_distance=0, preferred_distance=0, resolution=72)
        assert terrain.dtype == np.uint8 and terrain.shape == (3, 5)
        assert (zalvo.get_row_count(terrain), zalvo.get_column_count(terrain)) == (3, 5)
        assert np.argwhere(terrain == 255).tolist() == [[0, 4]]

    def test_is_horizontal(self):
        paths = [[[0, 4], [1, 4]], [[0, 4], [1, 5]], []]
        assert [zalvo.is_horizontal(np.array(path, np.int32).reshape(-1, 2)) for path in paths] == [True, False, False]

    @pytest.mark.parametrize("height, slope, corridor, passable", [(0, 0.0, False, True), (251, 1.0, False, True),
                                                                  (252, 1.0, True, True), (254, 1.0, False, False)])
    def test_height_predicates(self, height, slope, corridor, passable):
        assert (zalvo.get_slope(height), zalvo.is_corridor(height), zalvo.is_passable(height)) == \
            (slope, corridor, passable)


class TestCallSequences:
    def test_a_cost_array_steers_the_search_like_the_same_callable_even_when_not_contiguous(self):
        rng = np.random.default_rng(3)
        costs, terrain = rng.uniform(0, 5, (10, 16)), rng.integers(0, 240, (10, 16)).astype(np.uint8)
        strided_terrain, strided_costs = np.repeat(terrain, 2, axis=1)[:, ::2], np.repeat(costs, 2, axis=1)[:, ::2]
        assert not strided_terrain.flags.c_contiguous and not strided_costs.flags.c_contiguous
        by_array = zalvo.find_shortest_pixel_path(strided_terrain, strided_costs)  # read by copying
        assert np.array_equal(by_array, zalvo.find_shortest_pixel_path(terrain, lambda p: costs[p[1], p[0]]))
        assert not np.array_equal(by_array, zalvo.find_shortest_pixel_path(terrain))

    def test_optimizer_prices_each_shift_then_its_pixels_up_first(self):
        calls = []
        zalvo.optimize_pixel_path(MIDDLE_ROW, 2, np.zeros((5, 3), np.uint8),
                                  lambda p: calls.append(p) or 1.0, lambda d: calls.append(d) or 0.0)
        # 4 free shifts on 5 rows, less a clearance of 2.
        assert calls == [item for direction in (1, -1) for shift in range(3)
                         for item in [shift] + [(x, 2 + direction * shift) for x in range(3)]]

    def test_shift_penalty_array_is_indexed_by_distance(self):
        path, terrain = MIDDLE_ROW, np.zeros((5, 3), np.uint8)
        up, down = zalvo.optimize_pixel_path(path, 2, terrain, None, np.array([3.0, 2.0, 1.0]))  # 2 is cheapest
        assert pixels(up)[0] == [0, 4] and pixels(down)[0] == [0, 0]
        with pytest.raises(ValueError, match="shift_penalty has 2 entries, none for the distance 2"):
            zalvo.optimize_pixel_path(path, 2, terrain, None, np.array([3.0, 2.0]))

    def test_plate_methods_are_called_as_the_library_calls_them(self):
        occupied = np.arange(6).reshape(2, 3) == 5  # only the bottom right pixel
        plate, asked = RecordingPlate(occupied, 72.0), []
        zalvo.create_terrain(plate, lambda p: asked.append(p) or True, minimum_distance=0, preferred_distance=0)
        assert plate.calls[:2] == ["get_pixel_row_count", "get_pixel_column_count"]
        assert [c[1] for c in plate.calls if isinstance(c, tuple)] == [(0, 0), (1, 0), (2, 0), (0, 1), (1, 1), (2, 1)]
        assert plate.calls.count("get_resolution") == 1 and asked == [(2, 1)]


def test_rooms_compare_and_show_their_fields_and_are_never_changed_in_place():
    room = zalvo.HorizontalRoom(minColumn=1, maxColumn=5, maxRow=9, minRow=3, firstStretch=0, endStretch=2, row=4)
    assert room == zalvo.HorizontalRoom(minColumn=1, maxColumn=5, maxRow=9, minRow=3, endStretch=2, row=4)
    assert room != zalvo.HorizontalRoom(minColumn=1, maxColumn=5, maxRow=9, minRow=3, endStretch=2, row=5)
    assert room != zalvo.VerticalRoom(minColumn=1, maxColumn=5, maxRow=9, minRow=3, endStretch=2, column=4)
    assert repr(room) == \
        "HorizontalRoom(minColumn=1, maxColumn=5, maxRow=9, minRow=3, firstStretch=0, endStretch=2, row=4)"
    assert repr(zalvo.NoRoom(np.array([[1, 2]], np.int32), 3, 4)) == \
        "NoRoom(pixels=[(1, 2)], firstStretch=3, endStretch=4)"
    before = [zalvo.HorizontalRoom(minColumn=0, maxColumn=4, maxRow=3, minRow=0, endStretch=1, row=0)]
    after = zalvo.adjust_horizontal_room_rows_for_optimal_plate_usage(before, ROW_PATH, 0, 0, 0, 0, 0)
    assert before[0].row == 0 and after[0].row == 1
