"""result.plot draws the planner's picture with matplotlib (Agg backend)."""

import matplotlib.colors
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
    ax = blobs_plan.plot(figure.add_subplot())
    underlay = ax.get_images()[0].get_array()
    assert underlay.shape == blobs_plan.terrain.shape + (3,)
    colours = zalvo.PICTURE_COLOURS
    assert set(line_colours(ax)) == {colours["path"], colours["sparse_path"]}
    boxed = [room for room in blobs_plan.rooms if not isinstance(room, zalvo.NoRoom)]
    assert len(ax.patches) % len(boxed) == 0 and ax.patches
    figure.savefig(tmp_path / "plan.png")
    assert (tmp_path / "plan.png").stat().st_size > 0


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
