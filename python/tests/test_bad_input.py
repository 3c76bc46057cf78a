"""The library's bad-input rows where the binding adds to them: names in messages, its conversions, exceptions."""

import numpy as np
import pytest

import zalvo
from conftest import FREE, INT32_MAX, INT32_MIN, ROW_PATH, RecordingPlate, terrain_of

find_path = zalvo.find_shortest_pixel_path


class HostError(Exception):
    pass


def fail(*_):
    raise HostError("from the host")


def sized_plate(rows, columns, **methods):
    return type("Plate", (RecordingPlate,), methods)(np.zeros((1, 1), bool), 72.0, rows=rows, columns=columns)


@pytest.mark.parametrize("call, error, message", [
    (lambda: find_path(FREE.astype(np.int16)), TypeError, "terrain must have dtype uint8, not int16"),
    (lambda: find_path(FREE.tolist()), TypeError, "terrain must be a numpy array of uint8, not list"),
    (lambda: find_path(np.zeros(5, np.uint8)), ValueError, r"terrain must have 2 dimensions \(rows, columns\), not 1"),
    (lambda: find_path(np.zeros((0, 5), np.uint8)), ValueError, r"terrain has no cells \(shape \(0, 5\)\)"),
    (lambda: find_path(np.zeros((4, 0), np.uint8)), ValueError, "terrain has no cells"),
    (lambda: find_path(FREE, np.zeros((4, 5), np.float32)), TypeError, "pixel_cost must have dtype float64"),
    (lambda: zalvo.is_horizontal(ROW_PATH.astype(np.int64)), TypeError, "path must have dtype int32"),
    (lambda: zalvo.is_horizontal(np.zeros((3, 3), np.int32)), ValueError, r"path must have shape \(N, 2\)"),
    (lambda: terrain_of(np.zeros((3, 3))), TypeError, "occupied must have dtype bool or uint8"),
    (lambda: terrain_of(np.zeros((3, 3), bool), resolution=None), TypeError, "needs the resolution"),
    (lambda: terrain_of(FREE, None, np.zeros((2, 3), np.int32)), ValueError, "corridor_seeds must have shape"),
    (lambda: zalvo.get_height(FREE, (0, 2**31)), ValueError, "pixel y = 2147483648 lies outside"),
    (lambda: zalvo.get_height(FREE, 3), TypeError, r"pixel must be a pair \(x, y\)"),
    (lambda: zalvo.get_height(FREE, (1, 2, 3)), TypeError, r"pixel must be a pair \(x, y\), not tuple"),
    (lambda: zalvo.get_slope(256), ValueError, "height must lie in 0..255"),
    (lambda: zalvo.optimize_pixel_path(ROW_PATH, 2**31, FREE), ValueError, "clearance"),
    (lambda: zalvo.optimize_pixel_path(ROW_PATH, 2, FREE, None, [0.0]), TypeError, "shift_penalty"),
    (lambda: zalvo.calculate_wiggle_room_around_pixel_path(ROW_PATH, FREE, 8, 3, 12, ["a"]), TypeError,
     "split_columns item must be an int"),
    (lambda: zalvo.calculate_sparse_pixel_path_through_wiggle_rooms([zalvo.HorizontalRoom(), "room"]), TypeError,
     r"rooms\[1\] must be a HorizontalRoom, VerticalRoom or NoRoom, not str"),
    # The library's own refusals, with and without a Python callable taking part.
    (lambda: find_path(FREE, lambda p: np.nan if p == (1, 2) else 0.0), ValueError, r"\(1, 2\)"),
    (lambda: find_path(FREE, np.full((4, 5), -10.0)), ValueError, "negative"),
    (lambda: terrain_of(object()), AttributeError, "get_pixel_row_count"),
    # What a Python callable or plate method raises arrives unchanged.
    (lambda: find_path(FREE, fail), HostError, "^from the host$"),
    (lambda: zalvo.optimize_pixel_path(ROW_PATH, 2, FREE, None, fail), HostError, "^from the host$"),
    (lambda: terrain_of(np.ones((2, 2), bool), fail), HostError, "^from the host$"),
    (lambda: terrain_of(sized_plate(2, 2, is_pixel_occupied=fail)), HostError, "^from the host$"),
    # "vector too long", told with the plate's size or the path's largest gap.
    *[(lambda rows=rows, columns=columns: terrain_of(sized_plate(rows, columns, is_pixel_occupied=fail)), ValueError,
       rf"a plate of {columns} columns x {rows} rows.*vector too long")
      for rows, columns in [(-1, 3), (3, -1), (3, INT32_MIN), (2**24 + 1, 1), (1, 2**24 + 1), (2**16, 2**16)]],
    *[(lambda name=name, value=value: terrain_of(np.ones((2, 2), bool), **{name: value}), ValueError,
       r"a plate of 2 columns x 2 rows at .*vector too long") for name, value in [
          ("minimum_distance", 2.0**63 * 1000), ("minimum_distance", 2**24 * 1000 + 1000),
          ("preferred_distance", 2**24 * 1000 + 1000)]],
    (lambda: zalvo.optimize_pixel_path(np.array([[0, INT32_MIN], [4, INT32_MAX]], np.int32), 0, FREE, fail, fail),
     ValueError, "neighbours up to 4294967295 pixels apart.*vector too long")])
def test_bad_arguments_are_named(call, error, message):
    with pytest.raises(error, match=message):
        call()


def test_empty_results_keep_their_shape():
    assert terrain_of(sized_plate(1, 0)).shape == (0, 0)
    assert terrain_of(RecordingPlate(np.zeros((1, 3), bool), 72.0, rows=0)).shape == (0, 3)
    up, down = zalvo.optimize_pixel_path(np.zeros((0, 2), np.int32), 2, FREE, fail)
    assert up.shape == down.shape == zalvo.calculate_sparse_pixel_path_through_wiggle_rooms([]).shape == (0, 2)
