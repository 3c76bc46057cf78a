"""The fourteen functions on numpy arrays: they reproduce the planner's
pipeline step by step, transpose grids the way they say, and call Python
callables exactly as the library calls them."""

import numpy as np
import pytest

import zalvo
from conftest import pixels

FREE, CROSSABLE, IMPASSABLE, SEED = (int(c) for c in zalvo.PixelClass)


@pytest.fixture(scope="module")
def staged(blobs_plan):
    """The blobs plate rebuilt step by step from its pixel classes, with the planner's options for it."""
    classes = blobs_plan.pixel_classes
    seeds = np.argwhere(classes == SEED)[:, ::-1].astype(np.int32)
    terrain = zalvo.create_terrain(classes != FREE, np.isin(classes, [IMPASSABLE, SEED]), seeds,
                                   minimum_distance=zalvo.px(2, 100), preferred_distance=zalvo.px(6, 100),
                                   resolution=100)
    found = zalvo.find_shortest_pixel_path(terrain)
    up, down = zalvo.optimize_pixel_path(found, 2, terrain, None, lambda distance: 0.1 * distance)
    return terrain, found, up, down


class TestPipelineEqualsThePlanner:
    def test_terrain(self, staged, blobs_plan):
        assert np.array_equal(staged[0], blobs_plan.terrain)

    def test_found_path(self, staged, blobs_plan):
        assert np.array_equal(staged[1], blobs_plan.found_path)
        assert staged[1].dtype == np.int32 and staged[1].shape[1] == 2

    def test_shifted_paths(self, staged, blobs_plan):
        assert np.array_equal(staged[2], blobs_plan.optimized_paths.up.pixels)
        assert np.array_equal(staged[3], blobs_plan.optimized_paths.down.pixels)

    def test_rooms_and_sparse_path(self, staged, blobs_plan):
        terrain, _, up, _ = staged
        assert blobs_plan.optimized_paths.taken == "up"
        rooms = zalvo.calculate_wiggle_room_around_pixel_path(up, terrain, 8, 3, 12)
        rooms = zalvo.adjust_horizontal_room_rows_for_optimal_plate_usage(rooms, up, 0, 2, 10, 2, 3)
        assert rooms == blobs_plan.rooms
        assert np.array_equal(zalvo.calculate_sparse_pixel_path_through_wiggle_rooms(rooms), blobs_plan.sparse_path)

    def test_a_plate_object_gives_the_mask_terrain(self, staged, blobs_plan):
        plate = RecordingPlate(blobs_plan.pixel_classes != FREE, 100.0)
        terrain = zalvo.create_terrain(plate, lambda p: blobs_plan.pixel_classes[p[1], p[0]] != CROSSABLE,
                                       np.argwhere(blobs_plan.pixel_classes == SEED)[:, ::-1].astype(np.int32),
                                       minimum_distance=zalvo.px(2, 100), preferred_distance=zalvo.px(6, 100))
        assert np.array_equal(terrain, staged[0])


class RecordingPlate:
    """A plate object with the library's methods in snake_case, recording each call."""

    def __init__(self, occupied, resolution, rows=None, columns=None):
        self.occupied = occupied
        self.resolution = resolution
        self.rows = occupied.shape[0] if rows is None else rows
        self.columns = occupied.shape[1] if columns is None else columns
        self.calls = []

    def get_resolution(self):
        self.calls.append("get_resolution")
        return self.resolution

    def get_pixel_column_count(self):
        self.calls.append("get_pixel_column_count")
        return self.columns

    def get_pixel_row_count(self):
        self.calls.append("get_pixel_row_count")
        return self.rows

    def get_content_count(self):
        raise AssertionError("the library never asks for the content count")

    def is_pixel_on_content_edge(self, pixel):
        raise AssertionError("the library never asks for content edges")

    def is_pixel_occupied(self, pixel):
        self.calls.append(("is_pixel_occupied", pixel))
        return bool(self.occupied[pixel[1], pixel[0]])


class TestGridLayout:
    """Arrays are (rows, columns); the library's [x][y] never shows."""

    terrain = np.array([[0, 1, 2], [10, 11, 12]], np.uint8)  # 2 rows, 3 columns

    def test_counts(self):
        assert zalvo.get_row_count(self.terrain) == 2
        assert zalvo.get_column_count(self.terrain) == 3

    @pytest.mark.parametrize("pixel, height", [((0, 0), 0), ((2, 0), 2), ((1, 1), 11), ((2, 3), 12),
                                               ((1, -1), 11), ((3, 0), 0), ((-1, 1), 0), ((0, -2**31), 0)])
    def test_heights_wrap_rows_and_read_0_off_the_columns(self, pixel, height):
        assert zalvo.get_height(self.terrain, pixel) == height

    def test_terrain_comes_back_as_rows_and_columns(self):
        occupied = np.zeros((3, 5), bool)
        occupied[0, 4] = True  # top right
        terrain = zalvo.create_terrain(occupied, minimum_distance=0, preferred_distance=0, resolution=72)
        assert terrain.shape == (3, 5) and terrain.dtype == np.uint8
        assert np.argwhere(terrain == 255).tolist() == [[0, 4]]

    def test_paths_are_x_then_y(self):
        terrain = np.zeros((4, 3), np.uint8)
        terrain[:, :] = 255
        terrain[2, :] = 0  # the only free row
        assert pixels(zalvo.find_shortest_pixel_path(terrain)) == [[0, 2], [1, 2], [2, 2]]

    @pytest.mark.parametrize("height, slope, corridor, passable", [(0, 0.0, False, True), (251, 1.0, False, True),
                                                                  (252, 1.0, True, True), (254, 1.0, False, False)])
    def test_height_predicates(self, height, slope, corridor, passable):
        assert (zalvo.get_slope(height), zalvo.is_corridor(height), zalvo.is_passable(height)) == \
            (slope, corridor, passable)

    def test_is_horizontal(self):
        assert zalvo.is_horizontal(np.array([[0, 4], [1, 4]], np.int32))
        assert not zalvo.is_horizontal(np.array([[0, 4], [1, 5]], np.int32))
        assert not zalvo.is_horizontal(np.zeros((0, 2), np.int32))


class TestCallSequences:
    def test_search_prices_column_0_in_row_order_first_and_stays_on_the_grid(self):
        terrain = np.zeros((4, 5), np.uint8)
        calls = []

        def pixel_cost(pixel):
            calls.append(pixel)
            return 0.0

        zalvo.find_shortest_pixel_path(terrain, pixel_cost)
        assert calls[:4] == [(0, 0), (0, 1), (0, 2), (0, 3)]
        assert all(0 <= x < 5 and 0 <= y < 4 and type(x) is int for x, y in calls)

    def test_a_cost_array_steers_the_search_like_the_same_callable(self):
        rng = np.random.default_rng(7)
        costs = rng.uniform(0, 5, (12, 20))
        terrain = np.zeros((12, 20), np.uint8)
        by_array = zalvo.find_shortest_pixel_path(terrain, costs)
        by_callable = zalvo.find_shortest_pixel_path(terrain, lambda p: costs[p[1], p[0]])
        assert np.array_equal(by_array, by_callable)
        assert not np.array_equal(by_array, zalvo.find_shortest_pixel_path(terrain))

    def test_optimizer_prices_each_shift_then_its_pixels_up_first(self):
        terrain = np.zeros((5, 3), np.uint8)
        path = np.array([[0, 2], [1, 2], [2, 2]], np.int32)
        calls = []
        zalvo.optimize_pixel_path(path, 2, terrain, lambda p: calls.append(p) or 1.0,
                                  lambda d: calls.append(d) or 0.0)
        expected = []
        for direction in (1, -1):
            for shift in range(3):  # 4 free shifts on 5 rows, less a clearance of 2
                expected += [shift] + [(x, 2 + direction * shift) for x in range(3)]
        assert calls == expected

    def test_shift_penalty_array_is_indexed_by_distance(self):
        terrain = np.zeros((5, 3), np.uint8)
        path = np.array([[0, 2], [1, 2], [2, 2]], np.int32)
        # Shift 2 is the cheapest in both directions.
        up, down = zalvo.optimize_pixel_path(path, 2, terrain, None, np.array([3.0, 2.0, 1.0]))
        assert pixels(up)[0] == [0, 4] and pixels(down)[0] == [0, 0]
        with pytest.raises(ValueError, match="shift_penalty has 2 entries, none for the distance 2"):
            zalvo.optimize_pixel_path(path, 2, terrain, None, np.array([3.0, 2.0]))

    def test_plate_methods_are_called_as_the_library_calls_them(self):
        occupied = np.zeros((2, 3), bool)
        occupied[1, 2] = True
        plate = RecordingPlate(occupied, 72.0)
        asked = []
        zalvo.create_terrain(plate, lambda p: asked.append(p) or True, minimum_distance=0, preferred_distance=0)
        assert plate.calls[:2] == ["get_pixel_row_count", "get_pixel_column_count"]
        occupied_calls = [c[1] for c in plate.calls if isinstance(c, tuple)]
        assert occupied_calls == [(0, 0), (1, 0), (2, 0), (0, 1), (1, 1), (2, 1)]
        assert plate.calls.count("get_resolution") == 1
        assert asked == [(2, 1)]


class TestRooms:
    def test_equality_repr_and_fields(self):
        room = zalvo.HorizontalRoom(minColumn=1, maxColumn=5, maxRow=9, minRow=3, firstStretch=0, endStretch=2, row=4)
        assert room == zalvo.HorizontalRoom(minColumn=1, maxColumn=5, maxRow=9, minRow=3, endStretch=2, row=4)
        assert room != zalvo.HorizontalRoom(minColumn=1, maxColumn=5, maxRow=9, minRow=3, endStretch=2, row=5)
        assert room != zalvo.VerticalRoom(minColumn=1, maxColumn=5, maxRow=9, minRow=3, endStretch=2, column=4)
        assert repr(room) == ("HorizontalRoom(minColumn=1, maxColumn=5, maxRow=9, minRow=3, firstStretch=0, "
                              "endStretch=2, row=4)")
        assert repr(zalvo.NoRoom(np.array([[1, 2]], np.int32), 3, 4)) == \
            "NoRoom(pixels=[(1, 2)], firstStretch=3, endStretch=4)"

    def test_rooms_survive_pickling(self, blobs_plan):
        import pickle

        assert pickle.loads(pickle.dumps(blobs_plan.rooms)) == blobs_plan.rooms
        no_room = zalvo.NoRoom(np.array([[1, 2], [2, 2]], np.int32), 0, 1)
        assert pickle.loads(pickle.dumps(no_room)) == no_room
