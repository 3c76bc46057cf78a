"""plan_many: results in input order, on threads and on a Dask cluster."""

import sys

import pytest

import zalvo
from conftest import PIXELS, plates, reports


@pytest.mark.parametrize("workers", [None, 1, 2, 5])
def test_threads_return_the_results_in_input_order(one_by_one, workers):
    results = zalvo.plan_many(plates(), workers=workers, **PIXELS)
    assert reports(results) == one_by_one
    assert [result.terrain.shape for result in results] == [image.shape[:2] for image in plates()]


def test_dask_cluster_returns_the_results_in_input_order(one_by_one, blobs, dask_client):
    assert len(dask_client.scheduler_info()["workers"]) == 2
    assert reports(zalvo.plan_many(plates(), client=dask_client, **PIXELS)) == one_by_one
    assert reports(zalvo.plan_many([str(blobs.image)], client=dask_client, **blobs.options)) == [blobs.expected]
    with pytest.raises(ValueError, match="not both"):
        zalvo.plan_many(plates(), workers=2, client=dask_client)


@pytest.mark.parametrize("runner", ["threads", "dask"])
@pytest.mark.parametrize("with_tqdm", [True, False], ids=["tqdm", "text"])
def test_progress_counts_every_plate_and_the_failed_ones(one_by_one, request, runner, with_tqdm, monkeypatch,
                                                         capsys, tmp_path):
    monkeypatch.setitem(sys.modules, "tqdm", pytest.importorskip("tqdm") if with_tqdm else None)  # None: import fails
    where = {"client": request.getfixturevalue("dask_client")} if runner == "dask" else {"workers": 2}
    results = zalvo.plan_many(plates() + [tmp_path / "missing.png"], progress=True, errors="return", **PIXELS, **where)
    assert reports(results[:4]) == one_by_one and results[4].status == "error"
    shown = capsys.readouterr().err
    if with_tqdm:
        assert "plan_many" in shown and "5/5" in shown and "failed=1" in shown
    else:
        lines = [line for line in shown.splitlines() if line.startswith("plan_many")]  # not Dask's own logs
        # The missing file may fail first or last: plates finish in any order.
        assert [line.removesuffix(", 1 failed") for line in lines] == \
            [f"plan_many: {done} of 5 plates done" for done in range(6)]
        assert lines[-1].endswith(", 1 failed")
