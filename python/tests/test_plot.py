"""result.plot draws the planner's picture with matplotlib (Agg backend)."""

import dataclasses

import matplotlib.colors
import matplotlib.lines
import matplotlib.pyplot as plt
import numpy as np
import pytest

import zalvo


def line_colours(ax):
    return [matplotlib.colors.to_hex(line.get_color()) for line in ax.get_lines()]


@pytest.fixture
def figure():
    fig = plt.figure()
    yield fig
    plt.close(fig)


def test_plot_draws_terrain_lines_and_room_boxes(blobs_plan, figure, tmp_path):
    # A room without a box and an inverted box draw nothing, as in the planner's pictures.
    inverted = zalvo.HorizontalRoom(minColumn=9, maxColumn=8, minRow=0, maxRow=3)
    ax = dataclasses.replace(blobs_plan, rooms=blobs_plan.rooms + [zalvo.NoRoom(), inverted]).plot(figure.add_subplot())
    underlay = ax.get_images()[0].get_array()
    assert underlay.shape == blobs_plan.terrain.shape + (3,)
    colours = zalvo.PICTURE_COLOURS
    assert set(line_colours(ax)) == {colours["path"], colours["sparse_path"]}
    boxed = [room for room in blobs_plan.rooms if not isinstance(room, zalvo.NoRoom)]
    copies = line_colours(ax).count(colours["sparse_path"])
    assert boxed and len(ax.patches) == copies * len(boxed)
    edges = {matplotlib.colors.to_hex(patch.get_edgecolor()) for patch in ax.patches}
    assert edges == {colours["horizontal_room"], colours["vertical_room"]}
    figure.savefig(tmp_path / "plan.png")
    assert (tmp_path / "plan.png").stat().st_size > 0


def test_the_legend_is_the_planners_with_lines_drawn_as_lines(blobs_plan, figure):
    ax = blobs_plan.plot(figure.add_subplot())
    legend = ax.get_legend()
    assert [text.get_text() for text in legend.get_texts()] == [meaning for _, meaning in zalvo.PICTURE_LEGEND]
    handles = getattr(legend, "legend_handles", None) or legend.legendHandles  # renamed in matplotlib 3.7
    lines = {matplotlib.colors.to_hex(handle.get_color()) for handle in handles
             if isinstance(handle, matplotlib.lines.Line2D)}
    assert lines == set(line_colours(ax))
    assert blobs_plan.plot(figure.add_subplot(), legend=False).get_legend() is None


@pytest.mark.parametrize(
    "window, limits",
    [((10, 49, -5, 20), ((9.5, 49.5), (20.5, -5.5))), ((3, 3, 7, 7), ((2.5, 3.5), (7.5, 6.5))),
     ([0.0, 100.0, 0.0, 50.0], ((-0.5, 100.5), (50.5, -0.5)))],
)
def test_a_window_shows_those_columns_and_rows(blobs_plan, figure, window, limits):
    ax = blobs_plan.plot(figure.add_subplot(), window=window)
    assert (ax.get_xlim(), ax.get_ylim()) == limits


@pytest.mark.parametrize(
    "window, error",
    [((0, 10, 5), TypeError), (("a", 1, 2, 3), TypeError), (5, TypeError), ((10, 0, 0, 5), ValueError),
     ((0, 10, 5, 4), ValueError), ((0, float("nan"), 0, 5), ValueError), ((0, 10, 0, float("inf")), ValueError)],
)
def test_bad_windows_are_refused_before_drawing(blobs_plan, window, error):
    with pytest.raises(error, match="window must be"):
        blobs_plan.plot(window=window)
    assert not plt.get_fignums(), "no figure is left behind"


def test_underlay_shows_content_margins_ramp_and_corridor(blobs_plan):
    underlay = zalvo._zalvo._picture_underlay(blobs_plan.pixel_classes, blobs_plan.terrain)
    classes, terrain = blobs_plan.pixel_classes, blobs_plan.terrain
    white = [255, 255, 255]
    assert (underlay[(classes == 0) & (terrain == 0)] == white).all()
    assert (underlay[classes == zalvo.PixelClass.IMPASSABLE] == [0x26, 0x26, 0x26]).all()
    corridor = underlay[terrain == 252]
    assert len(corridor) and (corridor == [0x2f, 0xa3, 0x5a]).all()
    assert len({tuple(c) for c in underlay[(classes == 0) & (terrain > 0) & (terrain < 252)]}) > 1


def test_lines_crossing_the_row_seam_are_drawn_at_both_edges(blobs_plan, figure):
    rows = blobs_plan.terrain.shape[0]
    ax = blobs_plan.plot(figure.add_subplot())
    sparse_rows = {tuple(line.get_ydata()) for line in ax.get_lines()
                   if matplotlib.colors.to_hex(line.get_color()) == zalvo.PICTURE_COLOURS["sparse_path"]}
    lowest = blobs_plan.sparse_path[:, 1].min()
    assert lowest < 0, "the blobs line runs above row 0"
    assert len(sparse_rows) == 2
    assert {min(ys) for ys in sparse_rows} == {lowest, lowest + rows}


def test_a_plate_without_a_line_plots_its_terrain_only(figure):
    closed = np.full((24, 48), 255, np.uint8)
    closed[:, 20] = 0
    result = zalvo.plan(closed, min_distance="1px", preferred_distance="2px")
    assert result.status == "no-path"
    ax = result.plot(figure.add_subplot())
    assert not ax.get_lines() and not ax.patches
    assert ax.get_title() == "no line crosses this plate"


def test_plot_without_axes_makes_a_figure(blobs_plan):
    ax = blobs_plan.plot()
    try:
        assert ax.figure is not None and ax.get_xlim() == (-0.5, blobs_plan.terrain.shape[1] - 0.5)
    finally:
        plt.close(ax.figure)
