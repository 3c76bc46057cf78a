"""The planner's picture with matplotlib: terrain shades underneath, then the
dense line taken, the room boxes and the sparse corner line on top."""

import math

from . import _zalvo

# Line widths relative to each other as in the planner's SVG picture.
_PATH_WIDTH = 1.5
_SPARSE_WIDTH = 2.5
_ROOM_EDGE_WIDTH = 1.0


def _room_boxes(rooms):
    """(min column, max column, min row, max row, colour) of every room box the planner's pictures draw."""
    colours = _zalvo.PICTURE_COLOURS
    return [(min_column, max_column, min_row, max_row, colours["horizontal_room" if horizontal else "vertical_room"])
            for min_column, max_column, min_row, max_row, horizontal in _zalvo._room_outlines(rooms)]


def _copy_offsets(rows, lines, boxes):
    """The plate-height copies the overlays need so that every row they reach is shown.

    Rows are not wrapped: a line that crosses the row seam leaves at one edge
    and comes back at the other, so it is drawn once per plate height it spans.
    """
    reached = [y for line in lines for y in line[:, 1]]
    reached += [row for box in boxes for row in box[2:4]]
    if not reached:
        return [0]
    low = math.floor(min(0, min(reached)) / rows)
    high = math.floor(max(0, max(reached)) / rows)
    return range(low, high + 1)


def plot_plan(result, ax=None, window=None, legend=True):
    import matplotlib.pyplot as plt
    from matplotlib.patches import Rectangle

    limits = _window_limits(window)
    if ax is None:
        _, ax = plt.subplots()
    rows, columns = result.terrain.shape
    ax.imshow(_zalvo._picture_underlay(result.pixel_classes, result.terrain), interpolation="nearest")
    colours = _zalvo.PICTURE_COLOURS
    dense = result.optimized_paths.chosen.pixels if result.optimized_paths is not None else None
    lines = [line for line in (dense, result.sparse_path) if line is not None and len(line)]
    boxes = _room_boxes(result.rooms)
    for copy in _copy_offsets(rows, lines, boxes):
        shift = -copy * rows
        for min_column, max_column, min_row, max_row, colour in boxes:
            ax.add_patch(Rectangle((min_column - 0.5, min_row + shift - 0.5), max_column - min_column + 1,
                                   max_row - min_row + 1, fill=False, edgecolor=colour,
                                   linewidth=_ROOM_EDGE_WIDTH))
        if dense is not None and len(dense):
            ax.plot(dense[:, 0], dense[:, 1] + shift, color=colours["path"], linewidth=_PATH_WIDTH,
                    solid_joinstyle="round")
        if len(result.sparse_path):
            ax.plot(result.sparse_path[:, 0], result.sparse_path[:, 1] + shift, color=colours["sparse_path"],
                    linewidth=_SPARSE_WIDTH, solid_joinstyle="round")
    x0, x1, y0, y1 = limits or (-0.5, columns - 0.5, -0.5, rows - 0.5)
    ax.set_xlim(x0, x1)
    ax.set_ylim(y1, y0)
    ax.set_title("cut line" if result.status == "ok" else "no line crosses this plate")
    if legend:
        handles = _legend_handles()
        ax.legend(handles=handles, loc="upper center", bbox_to_anchor=(0.5, -0.04), ncol=3, fontsize="small",
                  frameon=False)
    return ax


def _window_limits(window):
    """(x0, x1, y0, y1) of a window as axis limits around those pixels' centres, None for the whole plate."""
    if window is None:
        return None
    try:
        x0, x1, y0, y1 = (float(value) for value in window)
    except (TypeError, ValueError):
        raise TypeError(f"window must be four numbers (x0, x1, y0, y1), not {window!r}") from None
    if not all(math.isfinite(value) for value in (x0, x1, y0, y1)) or x0 > x1 or y0 > y1:
        raise ValueError(f"window must be finite (x0, x1, y0, y1) with x0 <= x1 and y0 <= y1, not {window!r}")
    return x0 - 0.5, x1 + 0.5, y0 - 0.5, y1 + 0.5


def _legend_handles():
    """The planner's legend as matplotlib handles: lines for the lines, outlines for the rooms, swatches else."""
    from matplotlib.lines import Line2D
    from matplotlib.patches import Patch

    colours = _zalvo.PICTURE_COLOURS
    widths = {colours["path"]: _PATH_WIDTH, colours["sparse_path"]: _SPARSE_WIDTH}
    rooms = {colours["horizontal_room"], colours["vertical_room"]}
    handles = []
    for colour, meaning in _zalvo.PICTURE_LEGEND:
        if colour in widths:
            handles.append(Line2D([], [], color=colour, linewidth=widths[colour], label=meaning))
        elif colour in rooms:
            handles.append(Patch(fill=False, edgecolor=colour, linewidth=_ROOM_EDGE_WIDTH, label=meaning))
        else:
            handles.append(Patch(facecolor=colour, edgecolor="#808080", linewidth=0.5, label=meaning))
    return handles
