"""Many plates at once: on threads of this process, or on a Dask cluster."""

import os
from concurrent.futures import ThreadPoolExecutor

from ._plan import plan


def plan_many(items, workers=None, client=None, **options):
    """Plans every image of ``items`` with the same options; returns the results in input order.

    Without a ``client`` the plates are planned on ``workers`` threads (all
    cores by default): the library releases the GIL while it plans, so the
    threads run in parallel. With a ``distributed.Client`` every plate is a
    task on its cluster; image paths must then be readable by the workers.
    The first failure is raised, as ``plan`` would raise it.
    """
    items = list(items)
    if client is not None:
        if workers is not None:
            raise ValueError("plan_many takes workers or a client, not both: the cluster has its own workers")
        futures = client.map(_plan_one, items, [options] * len(items), pure=False)
        return client.gather(futures)
    if workers is None:
        workers = os.cpu_count() or 1
    if workers < 1:
        raise ValueError(f"workers must be at least 1, not {workers}")
    with ThreadPoolExecutor(max_workers=workers) as pool:
        return list(pool.map(lambda image: plan(image, **options), items))


def _plan_one(image, options):
    # A module-level function, so that Dask can send it to its workers by reference.
    return plan(image, **options)
