"""zalvo on the workers of a Dask cluster that were started without it.

Nothing here imports zalvo: this module travels to the workers by value, so
that it runs where zalvo cannot be imported yet. A worker that lacks zalvo
receives the wheel and installs it with pip into its own local folder (pip's
--target: no write to the worker's Python, which may be the system's), and
puts that folder first on its path; the plugin does the same on every worker
that joins the cluster later.
"""

import asyncio
import base64
import csv
import functools
import hashlib
import importlib
import importlib.metadata
import io
import os
import subprocess
import sys
import zipfile
from pathlib import Path, PurePosixPath

import cloudpickle
from distributed.diagnostics.plugin import WorkerPlugin

cloudpickle.register_pickle_by_value(sys.modules[__name__])

# Files pip adds to an installed distribution that were not in its wheel.
_ADDED_BY_THE_INSTALLER = {"RECORD", "INSTALLER", "REQUESTED", "direct_url.json"}
HOW_TO_BUILD_A_WHEEL = ("build one with `python3 -m pip wheel ./python --no-build-isolation --no-deps --no-index "
                        "-w build/wheelhouse` and pass install='build/wheelhouse/zalvo-<version>-<tags>.whl'")


def probe():
    """On a worker: (the version of the zalvo it imports, None), or (None, why it cannot import zalvo)."""
    try:
        import zalvo
    except Exception as exception:  # noqa: BLE001 - any reason is reported
        return None, f"{type(exception).__name__}: {exception}"
    return zalvo.__version__, None


def ensure_zalvo(client, install, version):
    """Installs a wheel of zalvo on the workers that cannot import it; checks that all then import ``version``.

    ``install`` is "auto" (the wheel this package was installed from, rebuilt
    from its installed files) or the path of a wheel.
    """
    found = client.run(probe)
    other = {worker: found_version for worker, (found_version, _) in found.items()
             if found_version not in (None, version)}
    if other:
        raise RuntimeError(f"workers import another zalvo than this client's {version}: {_listed(other)}; "
                           f"install zalvo {version} on them, or restart them without zalvo")
    if all(found_version == version for found_version, _ in found.values()):
        return
    filename, data = _wheel_from_file(install) if install != "auto" else _wheel_of_this_package()
    plugin = InstallWheel(filename, data)
    client.register_worker_plugin(plugin, name=f"zalvo-wheel-{plugin.digest[:16]}")
    failed = {worker: error or f"zalvo {found_version}"
              for worker, (found_version, error) in client.run(probe).items() if found_version != version}
    if failed:
        raise RuntimeError(f"workers still cannot import zalvo {version} after installing {filename}: "
                           f"{_listed(failed)}")


def _listed(by_worker):
    return "; ".join(f"{worker}: {text}" for worker, text in sorted(by_worker.items()))


class InstallWheel(WorkerPlugin):
    """A worker plugin that installs a wheel of zalvo on each worker that cannot import zalvo."""

    def __init__(self, filename, data):
        self.filename = filename
        self.data = data
        self.digest = hashlib.sha256(data).hexdigest()

    async def setup(self, worker):
        if probe()[0] is None:
            # pip takes seconds: off the worker's event loop, which keeps talking to the scheduler meanwhile.
            await asyncio.get_running_loop().run_in_executor(None, self.install, worker.local_directory)

    def install(self, local_directory):
        target = os.path.join(local_directory, f"zalvo-{self.digest[:16]}")
        if not os.path.isdir(os.path.join(target, "zalvo")):
            wheel = os.path.join(local_directory, self.filename)
            with open(wheel, "wb") as file:
                file.write(self.data)
            try:
                run = subprocess.run([sys.executable, "-m", "pip", "install", "--no-deps", "--no-index",
                                      "--disable-pip-version-check", "--target", target, wheel],
                                     capture_output=True, text=True)
            finally:
                os.remove(wheel)
            if run.returncode != 0:
                raise RuntimeError(f"pip could not install {self.filename} on this worker ({sys.executable}): "
                                   f"{(run.stderr or run.stdout).strip()[-2000:]}")
        if target not in sys.path:
            sys.path.insert(0, target)
        importlib.invalidate_caches()


def _wheel_from_file(path):
    path = Path(path)
    return path.name, path.read_bytes()


@functools.lru_cache(maxsize=1)
def _wheel_of_this_package():
    """(file name, bytes) of the wheel this zalvo was installed from, packed again from its installed files.

    The files are checked against the hashes pip recorded when it installed
    the wheel; the files pip added (RECORD, INSTALLER, compiled bytecode) are left out.
    """
    import zalvo

    package = Path(zalvo.__file__).resolve().parent
    try:
        distribution = importlib.metadata.distribution("zalvo")
    except importlib.metadata.PackageNotFoundError:
        distribution = None
    if distribution is None or Path(distribution.locate_file("zalvo/__init__.py")).resolve().parent != package:
        raise RuntimeError(f"this zalvo runs from {package}, not from an installed wheel, so there is no wheel "
                           f"to put on the workers: {HOW_TO_BUILD_A_WHEEL}; or install zalvo on the workers "
                           f"and pass install='never'")
    tag = next(line.split(":", 1)[1].strip() for line in distribution.read_text("WHEEL").splitlines()
               if line.startswith("Tag:"))
    record, metadata_folder = [], None
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as wheel:
        # The package first, its metadata last, as a wheel orders them.
        for file in sorted(distribution.files, key=lambda f: (f.parts[0].endswith(".dist-info"), str(f))):
            if "__pycache__" in file.parts or ".." in file.parts:
                continue
            if file.parts[0].endswith(".dist-info"):
                metadata_folder = file.parts[0]
                if file.name in _ADDED_BY_THE_INSTALLER:
                    continue
            data = Path(distribution.locate_file(file)).read_bytes()
            digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
            if file.hash is not None and (file.hash.mode, file.hash.value) != ("sha256", digest):
                raise RuntimeError(f"{distribution.locate_file(file)} is not the file zalvo's wheel installed: "
                                   f"reinstall zalvo, or pass install='<path to a wheel>'")
            name = PurePosixPath(*file.parts).as_posix()
            entry = zipfile.ZipInfo(name, date_time=(1980, 1, 1, 0, 0, 0))
            entry.external_attr = (0o755 if name.endswith(".so") or ".so." in name else 0o644) << 16
            wheel.writestr(entry, data, zipfile.ZIP_DEFLATED)
            record.append([name, f"sha256={digest}", str(len(data))])
        lines = io.StringIO()
        csv.writer(lines, lineterminator="\n").writerows(record + [[f"{metadata_folder}/RECORD", "", ""]])
        wheel.writestr(f"{metadata_folder}/RECORD", lines.getvalue())
    return f"zalvo-{distribution.version}-{tag}.whl", buffer.getvalue()
