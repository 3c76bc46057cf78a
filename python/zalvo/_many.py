"""Many plates at once: on threads of this process, or on a Dask cluster."""

import concurrent.futures
import numbers
import os
import sys
from concurrent.futures import ThreadPoolExecutor

import numpy as np

from . import _zalvo
from ._plan import PlanResult, _describe, _source_of, plan

_ERROR_CHOICES = ("raise", "return")
_INSTALL_CHOICES = ("auto", "never")


class PlanManyError(ValueError):
    """Some plates of ``plan_many`` failed.

    ``results`` holds every plate's result in input order, None where it
    failed; ``errors`` lists ``(index, source, exception)`` for every failed
    plate, in input order.
    """

    def __init__(self, results, errors):
        self.results = results
        self.errors = errors
        index, source, exception = errors[0]
        super().__init__(f"{len(errors)} of {len(results)} plates failed; the first is items[{index}] "
                         f"({source}): {_describe(exception)}")

    def __reduce__(self):
        return type(self), (self.results, self.errors)


def plan_many(items, workers=None, client=None, errors="raise", progress=False, install="auto", **options):
    """Plans every image of ``items`` with the same options; returns the results in input order.

    Without a ``client`` the plates are planned on ``workers`` threads (all
    cores by default): the library releases the GIL while it plans, so the
    threads run in parallel. With a ``distributed.Client`` every plate is a
    task on its cluster; image paths must then be readable by the workers.
    A script that starts its own cluster of worker processes (LocalCluster)
    must do so under ``if __name__ == "__main__":``, else every worker runs
    the script again.

    ``install`` says how zalvo gets onto the cluster's workers. "auto" (the
    default) asks the workers whether they import zalvo; those that do not
    get the wheel this zalvo was installed from, installed into their own
    local folder (this needs pip on the workers). A path to a wheel file
    installs that wheel instead; "never" skips the question, for workers that
    have zalvo already. Workers that import another version are an error.

    ``progress=True`` shows the plates done: a tqdm bar when tqdm is
    installed, else a line of text on stderr at every tenth.

    A plate that fails never stops the others. With ``errors="raise"`` (the
    default), once all are done, a failure raises ``PlanManyError`` (a
    ValueError) holding the results and the errors; with ``errors="return"``
    a failed plate's result has the status "error" and says why in its message.
    """
    if not isinstance(errors, str) or errors not in _ERROR_CHOICES:
        raise ValueError(f"errors must be 'raise' or 'return', not {errors!r}")
    if not isinstance(progress, bool):
        raise TypeError(f"progress must be True or False, not {type(progress).__name__}")
    _check_install(install)
    if workers is not None:
        if isinstance(workers, bool) or not isinstance(workers, numbers.Integral):
            raise TypeError(f"workers must be a positive int, not {type(workers).__name__}")
        if workers < 1:
            raise ValueError(f"workers must be at least 1, not {workers}")
        if client is not None:
            raise ValueError("plan_many takes workers or a client, not both: the cluster has its own workers")
    unknown = sorted(set(options) - set(_zalvo.PLAN_DEFAULTS))
    if unknown:
        raise TypeError(f"plan_many() got an unknown option {unknown[0]!r}")
    items = _list_of_images(items)

    if client is not None:
        import distributed

        from . import _workers

        if install != "never":
            _workers.ensure_zalvo(client, install, _zalvo.__version__)
        futures = client.map(_plan_caught, items, [options] * len(items), pure=False)
        outcomes = _outcomes(futures, distributed.as_completed, progress)
    else:
        with ThreadPoolExecutor(max_workers=workers or os.cpu_count() or 1) as pool:
            futures = [pool.submit(_plan_caught, image, options) for image in items]
            outcomes = _outcomes(futures, concurrent.futures.as_completed, progress)

    failures = [(index, _source_of(image), outcome)
                for index, (image, outcome) in enumerate(zip(items, outcomes)) if isinstance(outcome, Exception)]
    if failures and errors == "raise":
        raise PlanManyError([None if isinstance(outcome, Exception) else outcome for outcome in outcomes], failures)
    return [PlanResult._failed(_source_of(image), outcome) if isinstance(outcome, Exception) else outcome
            for image, outcome in zip(items, outcomes)]


def _check_install(install):
    if isinstance(install, str) and install in _INSTALL_CHOICES:
        return
    if not isinstance(install, (str, os.PathLike)):
        raise TypeError(f"install must be 'auto', 'never' or the path of a wheel, not {type(install).__name__}")
    if not os.fspath(install).endswith(".whl") or not os.path.isfile(install):
        raise ValueError(f"install must be 'auto', 'never' or the path of a wheel (.whl) file, not {install!r}")


def _outcomes(futures, as_completed, progress):
    """Every future's outcome in input order; with ``progress``, counted on a display as each finishes."""
    if not progress:
        return [_outcome_of(future) for future in futures]
    outcomes = [None] * len(futures)
    index_of = {id(future): index for index, future in enumerate(futures)}
    display = _Progress(len(futures))
    try:
        for future in as_completed(futures):
            outcome = outcomes[index_of[id(future)]] = _outcome_of(future)
            display.count(failed=isinstance(outcome, Exception))
    finally:
        display.close()
    return outcomes


class _Progress:
    """Plates done out of all: a tqdm bar when tqdm is installed, else a line on stderr at every tenth."""

    def __init__(self, total):
        self.total, self.done, self.failed = total, 0, 0
        try:
            from tqdm import tqdm
        except ImportError:
            self.bar = None
            self._say()
        else:
            self.bar = tqdm(total=total, desc="plan_many", unit="plate")

    def count(self, failed):
        self.done += 1
        self.failed += failed
        if self.bar is not None:
            if failed:
                self.bar.set_postfix(failed=self.failed, refresh=False)
            self.bar.update()
        elif self.done * 10 // self.total != (self.done - 1) * 10 // self.total:
            self._say()

    def close(self):
        if self.bar is not None:
            self.bar.close()

    def _say(self):
        failed = f", {self.failed} failed" if self.failed else ""
        print(f"plan_many: {self.done} of {self.total} plates done{failed}", file=sys.stderr, flush=True)


def _list_of_images(items):
    """``items`` as a list, refusing one image where many are meant: a path or an array would be iterated."""
    if isinstance(items, (str, bytes, os.PathLike, np.ndarray)):
        raise TypeError(f"items must be a list of images (paths or arrays), not a single {type(items).__name__}: "
                        f"put the one image in a list")
    try:
        iterator = iter(items)
    except TypeError:
        raise TypeError(f"items must be a list of images (paths or arrays), not {type(items).__name__}") from None
    return list(iterator)


def _plan_caught(image, options):
    """plan, with its exception as the result. Module-level, so that Dask can send it to its workers by reference."""
    try:
        return plan(image, **options)
    except Exception as exception:  # noqa: BLE001 - every failure is reported with its plate
        return exception


def _outcome_of(future):
    """A future's result, or the exception that ended it (a lost worker, a cancelled task)."""
    try:
        return future.result()
    except Exception as exception:  # noqa: BLE001
        return exception
