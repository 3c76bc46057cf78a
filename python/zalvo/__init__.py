"""Zalvo, the cut-line planner, from Python.

Grids are numpy arrays of shape (rows, columns), the way images are stored;
paths are (N, 2) int32 arrays of (x, y). The fourteen functions of the C++
library keep their meaning and their names in snake_case; ``plan`` runs the
whole pipeline on one plate image as ``zalvo-plan`` does, and ``plan_many``
runs it on many plates, on threads or on a Dask cluster.
"""

from ._zalvo import (
    PICTURE_COLOURS,
    PICTURE_LEGEND,
    PLAN_DEFAULTS,
    Distance,
    HorizontalRoom,
    NoRoom,
    VerticalRoom,
    __version__,
    adjust_horizontal_room_rows_for_optimal_plate_usage,
    adjust_horizontal_room_rows_for_preferring_stagger,
    calculate_sparse_pixel_path_through_wiggle_rooms,
    calculate_wiggle_room_around_pixel_path,
    cm,
    create_terrain,
    find_shortest_pixel_path,
    get_column_count,
    get_height,
    get_row_count,
    get_slope,
    inch,
    is_corridor,
    is_horizontal,
    is_passable,
    mm,
    mpt,
    optimize_pixel_path,
    pt,
    px,
    sample_plate,
)
from ._plan import OptimizedPaths, PixelClass, PlanResult, ShiftedPath, plan
from ._many import PlanManyError, plan_many

__all__ = [
    "Distance", "HorizontalRoom", "NoRoom", "OptimizedPaths", "PixelClass", "PlanManyError", "PlanResult",
    "ShiftedPath", "VerticalRoom", "__version__", "adjust_horizontal_room_rows_for_optimal_plate_usage",
    "adjust_horizontal_room_rows_for_preferring_stagger", "calculate_sparse_pixel_path_through_wiggle_rooms",
    "calculate_wiggle_room_around_pixel_path", "cm", "create_terrain", "find_shortest_pixel_path",
    "get_column_count", "get_height", "get_row_count", "get_slope", "inch", "is_corridor", "is_horizontal",
    "is_passable", "mm", "mpt", "optimize_pixel_path", "plan", "plan_many", "pt", "px", "sample_plate",
    "PLAN_DEFAULTS", "PICTURE_COLOURS", "PICTURE_LEGEND",
]
