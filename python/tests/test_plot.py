"""result.plot draws the planner's picture with matplotlib (Agg backend)."""

import dataclasses

import matplotlib.pyplot as plt
import pytest
from matplotlib.colors import to_hex
from matplotlib.lines import Line2D

import zalvo
from conftest import plates

COLOURS = zalvo.PICTURE_COLOURS


def line_colours(ax):
    return [to_hex(line.get_color()) for line in ax.get_lines()]


@pytest.fixture
def ax():
    figure = plt.figure()
    yield figure.add_subplot()
    plt.close(figure)


def test_plot_draws_terrain_lines_room_boxes_and_the_legend(blobs_plan, ax, tmp_path):
    # A room without a box and an inverted box draw nothing, as in the planner's pictures.
    inverted = zalvo.HorizontalRoom(minColumn=9, maxColumn=8, minRow=0, maxRow=3)
    dataclasses.replace(blobs_plan, rooms=blobs_plan.rooms + [zalvo.NoRoom(), inverted]).plot(ax)
    assert ax.get_images()[0].get_array().shape == blobs_plan.terrain.shape + (3,)
    assert set(line_colours(ax)) == {COLOURS["path"], COLOURS["sparse_path"]}
    # The blobs line runs above row 0, across the row seam: it is drawn at both edges.
    sparse = [line for line in ax.get_lines() if to_hex(line.get_color()) == COLOURS["sparse_path"]]
    lowest = blobs_plan.sparse_path[:, 1].min()
    assert lowest < 0 and len(sparse) == 2
    assert {min(line.get_ydata()) for line in sparse} == {lowest, lowest + blobs_plan.terrain.shape[0]}
    boxed = [room for room in blobs_plan.rooms if not isinstance(room, zalvo.NoRoom)]
    assert boxed and len(ax.patches) == len(sparse) * len(boxed)
    assert {to_hex(p.get_edgecolor()) for p in ax.patches} == {COLOURS["horizontal_room"], COLOURS["vertical_room"]}
    legend = ax.get_legend()
    assert [text.get_text() for text in legend.get_texts()] == [meaning for _, meaning in zalvo.PICTURE_LEGEND]
    handles = getattr(legend, "legend_handles", None) or legend.legendHandles  # renamed in matplotlib 3.7
    assert {to_hex(handle.get_color()) for handle in handles if isinstance(handle, Line2D)} == set(line_colours(ax))
    ax.figure.savefig(tmp_path / "plan.png")
    assert (tmp_path / "plan.png").stat().st_size > 0


@pytest.mark.parametrize("window, limits", [
    ((10, 49, -5, 20), ((9.5, 49.5), (20.5, -5.5))), ((3, 3, 7, 7), ((2.5, 3.5), (7.5, 6.5))),
    ([0.0, 100.0, 0.0, 50.0], ((-0.5, 100.5), (50.5, -0.5))), (None, ((-0.5, 159.5), (79.5, -0.5)))])
def test_a_window_shows_those_columns_and_rows_on_a_figure_of_its_own(blobs_plan, window, limits):
    ax = blobs_plan.plot(window=window, legend=False)
    try:
        assert (ax.get_xlim(), ax.get_ylim()) == limits and ax.get_legend() is None
    finally:
        plt.close(ax.figure)


@pytest.mark.parametrize("window, error", [
    ((0, 10, 5), TypeError), (("a", 1, 2, 3), TypeError), (5, TypeError), ((10, 0, 0, 5), ValueError),
    ((0, 10, 5, 4), ValueError), ((0, float("nan"), 0, 5), ValueError), ((0, 10, 0, float("inf")), ValueError)])
def test_bad_windows_are_refused_before_drawing(blobs_plan, window, error):
    with pytest.raises(error, match="window must be"):
        blobs_plan.plot(window=window)
    assert not plt.get_fignums(), "no figure is left behind"


def test_underlay_shows_content_margins_ramp_and_corridor(blobs_plan):
    classes, terrain = blobs_plan.pixel_classes, blobs_plan.terrain
    underlay = zalvo._zalvo._picture_underlay(classes, terrain)
    assert (underlay[(classes == 0) & (terrain == 0)] == [255, 255, 255]).all()
    assert (underlay[classes == zalvo.PixelClass.IMPASSABLE] == [0x26, 0x26, 0x26]).all()
    corridor = underlay[terrain == 252]
    assert len(corridor) and (corridor == [0x2f, 0xa3, 0x5a]).all()
    assert len({tuple(c) for c in underlay[(classes == 0) & (terrain > 0) & (terrain < 252)]}) > 1


def test_a_plate_without_a_line_plots_its_terrain_only(ax):
    result = zalvo.plan(plates()[1], min_distance="1px", preferred_distance="2px")
    assert result.status == "no-path"
    result.plot(ax)
    assert not ax.get_lines() and not ax.patches and ax.get_title() == "no line crosses this plate"
