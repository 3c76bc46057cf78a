"""Plans the cut line of a plate and saves the picture.

    PYTHONPATH=build/python/python /usr/bin/python3 python/examples/plan_a_plate.py [FIGURE.png] [IMAGE]

Without an image it plans zalvo-plan's built-in sample plate.
"""

import sys

import matplotlib

matplotlib.use("Agg")

import matplotlib.pyplot as plt  # noqa: E402

import zalvo  # noqa: E402


def main(figure_path="plan_a_plate.png", image=None):
    plate = zalvo.sample_plate(640, 320) if image is None else image
    result = zalvo.plan(plate, min_distance="0.5mm", preferred_distance=zalvo.mm(1.5), penalty="slope")
    print(f"{result.status}: {len(result.cut_line)} corners through {len(result.rooms)} rooms")
    print("cut line:", ", ".join(f"({x}, {y})" for x, y in result.cut_line[:4]), "...")
    fig, ax = plt.subplots(figsize=(10, 5.5))
    result.plot(ax)
    fig.tight_layout()
    fig.savefig(figure_path, dpi=120)
    print(f"wrote {figure_path}")


if __name__ == "__main__":
    main(*sys.argv[1:])
