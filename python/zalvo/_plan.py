"""One plate, the whole pipeline: what zalvo-plan does for one image."""

import enum
import inspect
import json
import os
import textwrap
from dataclasses import dataclass, field
from typing import Dict, List, Optional

import numpy as np

from . import _zalvo


# The results hold numpy arrays, which have no single truth value for == to
# return, so they compare by identity.
_result_class = dataclass(eq=False)
# A result's repr shows this much of its message at most.
_MESSAGE_SHOWN = 100


# The planner's own pixel classes, with its values.
PixelClass = enum.IntEnum("PixelClass", _zalvo._PIXEL_CLASSES, module=__name__)
PixelClass.__doc__ = "What the planner reads a pixel's colour as (the values of ``PlanResult.pixel_classes``)."


@_result_class
class ShiftedPath:
    """One result of the whole-line move: rows moved, its price and its pixels."""

    shift: int
    cost: float
    pixels: np.ndarray

    def __repr__(self) -> str:
        return f"ShiftedPath(shift={self.shift}, cost={self.cost:g}, pixels=<{len(self.pixels)} points>)"


@_result_class
class OptimizedPaths:
    """Both results of the whole-line move and which one was taken ("up" or "down")."""

    up: ShiftedPath
    down: ShiftedPath
    taken: str

    @property
    def chosen(self) -> ShiftedPath:
        return self.up if self.taken == "up" else self.down


@_result_class
class PlanResult:
    """The plan of one plate. Paths are (N, 2) int32 arrays of (x, y), rows not wrapped.

    ``status`` is "ok", "no-path" or, for a plate that ``plan_many`` could not
    plan, "error"; ``message`` says why for the last two (None when "ok"), and
    ``source`` is the plate as the report names it: its file name, or "array".
    A failed plate has empty arrays, no rooms and no timings.
    """

    source: str
    status: str
    message: Optional[str]
    terrain: np.ndarray
    pixel_classes: np.ndarray
    found_path: Optional[np.ndarray]
    optimized_paths: Optional[OptimizedPaths]
    rooms: List[object]
    sparse_path: np.ndarray
    cut_line: np.ndarray
    timings: Dict[str, float]
    _json: str = field(repr=False)

    @classmethod
    def _from_raw(cls, raw: dict) -> "PlanResult":
        optimized = None
        if raw["found_path"] is not None:
            optimized = OptimizedPaths(ShiftedPath(**raw["up"]), ShiftedPath(**raw["down"]), raw["taken"])
        return cls(
            source=raw["source"],
            status=raw["status"],
            message=raw["reason"],
            terrain=raw["terrain"],
            pixel_classes=raw["pixel_classes"],
            found_path=raw["found_path"],
            optimized_paths=optimized,
            rooms=raw["rooms"],
            sparse_path=raw["sparse_path"],
            cut_line=raw["cut_line"],
            timings=raw["timings"],
            _json=raw["json"],
        )

    @classmethod
    def _failed(cls, source: str, exception: BaseException) -> "PlanResult":
        """The result of a plate that raised ``exception``: status "error", with the exception as its message."""
        message = _describe(exception)
        no_path = np.zeros((0, 2), np.int32)
        return cls(
            source=source,
            status="error",
            message=message,
            terrain=np.zeros((0, 0), np.uint8),
            pixel_classes=np.zeros((0, 0), np.uint8),
            found_path=None,
            optimized_paths=None,
            rooms=[],
            sparse_path=no_path,
            cut_line=no_path.copy(),
            timings={},
            _json=json.dumps({"source": source, "status": "error", "error": message}, indent=2),
        )

    def __repr__(self) -> str:
        """One line: source, status, plate size, corners, rooms and time; never the arrays."""
        parts = [self.status]
        if self.terrain.size:
            rows, columns = self.terrain.shape
            parts.append(f"{columns} x {rows} px")
        if self.status == "ok":
            parts += [f"{len(self.cut_line)} corners", f"{len(self.rooms)} rooms"]
        if self.timings:
            parts.append(f"{sum(self.timings.values()):.1f} ms")
        text = f"<PlanResult {self.source}: {', '.join(parts)}"
        if self.message:
            message = " ".join(self.message.split())
            text += ": " + (message if len(message) <= _MESSAGE_SHOWN else message[:_MESSAGE_SHOWN - 3] + "...")
        return text + ">"

    def to_json(self) -> str:
        """The planner's JSON document (plan.json) for this plate and these options.

        For a failed plate, a document of its source, its status "error" and the error, as the
        planner's batch summary lists a failed plate.
        """
        return self._json

    def plot(self, ax=None, window=None, legend=True):
        """Draws what the planner's picture shows on a matplotlib Axes (a new figure when none); returns the Axes.

        ``window=(x0, x1, y0, y1)`` shows only columns x0 to x1 and rows y0 to
        y1 (pixel coordinates, rows downwards; rows beyond the plate show the
        line where it crosses the row seam). ``legend`` adds the planner's
        legend below the plate.
        """
        if self.status == "error":
            raise ValueError(f"{self.source} failed, there is no plan to plot: {self.message}")
        from ._plot import plot_plan

        return plot_plan(self, ax, window, legend)


def _describe(exception: BaseException) -> str:
    """One line that says what went wrong: the exception's type and its message."""
    text = " ".join(str(exception).split())
    return f"{type(exception).__name__}: {text}" if text else type(exception).__name__


def _source_of(image) -> str:
    """The plate as the report names it: a path's file name, "array" for an array, else the type's name."""
    if isinstance(image, (str, bytes, os.PathLike)):
        return os.path.basename(os.fsdecode(image))
    return "array" if isinstance(image, np.ndarray) else type(image).__name__


def plan(image, resolution=None, **options) -> PlanResult:
    """Plans the cut line of one plate image, as zalvo-plan does.

    ``image`` is a file path (PNG, PBM, PGM or PPM; a missing file is a
    FileNotFoundError) or a uint8 numpy image of shape (rows, columns),
    (rows, columns, 3) or (rows, columns, 4); the planner's colour rules
    apply. The options are zalvo-plan's, in snake_case, with its defaults
    (``zalvo.PLAN_DEFAULTS``); a distance is text with a unit such as "0.5mm",
    or a distance such as zalvo.mm(0.5). An unknown option is a TypeError, a
    bad value a ValueError.
    """
    if isinstance(image, (bytes, os.PathLike)):
        image = os.fsdecode(image)
    return PlanResult._from_raw(_zalvo._plan(image, resolution=resolution, **options))


def _options_documented(doc):
    """``doc`` followed by plan()'s options, from the planner's option table."""
    lines = []
    for option in _zalvo._PLAN_OPTIONS:
        text = f"{option['help']} ({option['unit']}; default {option['default_text']})"
        if option["choices"]:
            text += ": " + "; ".join(f"{name} ({meaning})" for name, meaning in option["choices"])
        lines += textwrap.wrap(f"``{option['name']}``: {text}", 104, initial_indent="        ",
                               subsequent_indent="            ")
    return doc.rstrip() + "\n\n    Options:\n\n" + "\n".join(lines) + "\n    "


def _signature_with_the_planners_defaults():
    """plan's signature as help() and editors show it: every option with its default, kept in C++."""
    parameters = [inspect.Parameter("image", inspect.Parameter.POSITIONAL_OR_KEYWORD),
                  inspect.Parameter("resolution", inspect.Parameter.POSITIONAL_OR_KEYWORD, default=None)]
    parameters += [inspect.Parameter(name, inspect.Parameter.KEYWORD_ONLY, default=default)
                   for name, default in _zalvo.PLAN_DEFAULTS.items() if name != "resolution"]
    return inspect.Signature(parameters, return_annotation=PlanResult)


plan.__signature__ = _signature_with_the_planners_defaults()
if plan.__doc__:  # none under python -OO
    plan.__doc__ = _options_documented(plan.__doc__)
