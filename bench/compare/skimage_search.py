#!/usr/bin/python3
"""Times scikit-image's MCP_Geometric on the comparison's search grids.

Reads the index written by `zalvo_compare grids DIR` (label, columns, rows,
path of the raw heights, column after column) and prints, per grid, one
tab-separated line: label, constructor ns per cell, find_costs ns per cell
(medians of the thread's CPU time, as the C++ side measures), and the
cheapest cumulative cost of the last column.

Cells are priced as the library prices them (ramps h * 30 / 251, 252 -> 30,
253 -> 100, 254 -> 1e7, 255 -> 1e9). MCP_Geometric has its own edge model
(the mean of the two cells' costs times the step length) and does not wrap
rows, so its cost is not comparable with the others', only its time.
"""
import statistics
import sys
import time

import numpy as np
from skimage.graph import MCP_Geometric


def height_costs():
    costs = np.arange(256, dtype=np.float64) * 30.0 / 251.0
    costs[252:] = [30.0, 100.0, 1e7, 1e9]
    return costs


def measure(columns, rows, path, repetitions):
    heights = np.fromfile(path, dtype=np.uint8)
    if heights.size != columns * rows:
        raise SystemExit(f"{path}: expected {columns * rows} heights, found {heights.size}")
    costs = height_costs()[heights.reshape(columns, rows)]
    starts = [(0, y) for y in range(rows)]
    ends = [(columns - 1, y) for y in range(rows)]
    setup, search, best = [], [], None
    for _ in range(repetitions):
        begin = time.thread_time_ns()
        mcp = MCP_Geometric(costs, fully_connected=True)
        built = time.thread_time_ns()
        cumulative, _ = mcp.find_costs(starts, ends)
        done = time.thread_time_ns()
        setup.append(built - begin)
        search.append(done - built)
        best = float(cumulative[columns - 1].min())
        del mcp, cumulative
    cells = columns * rows
    return statistics.median(setup) / cells, statistics.median(search) / cells, best


def main():
    if len(sys.argv) < 2:
        raise SystemExit("usage: skimage_search.py GRIDS_TSV [REPETITIONS]")
    repetitions = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    with open(sys.argv[1]) as index:
        for line in index:
            label, columns, rows, path = line.rstrip("\n").split("\t")
            setup, search, best = measure(int(columns), int(rows), path, repetitions)
            print(f"{label}\t{setup:.1f}\t{search:.1f}\t{best!r}", flush=True)


if __name__ == "__main__":
    main()
