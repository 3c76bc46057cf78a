"""Plans the cut line of a plate and saves the picture.

    PYTHONPATH=build/python/python /usr/bin/python3 python/examples/plan_a_plate.py [FIGURE.png] [IMAGE]

Without an image it plans zalvo-plan's built-in sample plate (640 x 320). The
picture goes to FIGURE.png, by default plan/plan_a_plate.png under the
current folder (the planner's own output folder; plan/ is ignored by git).

It plans with penalty="slope", where zalvo-plan's default is "none": the
slope penalty prices every pixel by the terrain's slope, so the whole-line
move keeps the line away from content. The line it takes differs, and so does
its number of corners from the one `zalvo-plan` reports for its sample; the
example prints both.
"""

import os
import sys

import matplotlib

matplotlib.use("Agg")

import matplotlib.pyplot as plt  # noqa: E402

import zalvo  # noqa: E402

DEFAULT_FIGURE = os.path.join("plan", "plan_a_plate.png")


def main(figure_path=DEFAULT_FIGURE, image=None):
    plate = zalvo.sample_plate(640, 320) if image is None else image
    result = zalvo.plan(plate, min_distance="0.5mm", preferred_distance=zalvo.mm(1.5), penalty="slope")
    print(result)
    as_the_planner = zalvo.plan(plate, min_distance="0.5mm", preferred_distance=zalvo.mm(1.5))
    print(f'penalty="slope" keeps the line away from content: {len(result.cut_line)} corners, where '
          f'zalvo-plan\'s default penalty="none" gives {len(as_the_planner.cut_line)}')
    print("cut line:", ", ".join(f"({x}, {y})" for x, y in result.cut_line[:4]), "...")
    fig, ax = plt.subplots(figsize=(10, 6.5))
    result.plot(ax)
    fig.tight_layout()
    os.makedirs(os.path.dirname(figure_path) or ".", exist_ok=True)
    fig.savefig(figure_path, dpi=120)
    print(f"wrote {figure_path}")


if __name__ == "__main__":
    main(*sys.argv[1:])
