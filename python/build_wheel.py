"""Writes the binary wheel of the package: the Python sources with the shared library
and kravent-sim beside them, so that ``pip install`` of the one file needs no index,
no compiler and no path variable. Only the standard library is used: a fresh virtual
environment has no ``wheel`` package to build with.

    python3 build_wheel.py --library LIB --simulator SIM --tool KRAVENT --out DIR
"""

from __future__ import annotations

import argparse
import base64
import csv
import hashlib
import io
import re
import shutil
import stat
import subprocess
import sys
import sysconfig
import tempfile
import zipfile
from pathlib import Path
from typing import List, Optional, Tuple

HERE = Path(__file__).resolve().parent
PACKAGE = "kravent"
DISTRIBUTION = "vorn_kravent"  # the wheel's normalised form of "vorn-kravent"
# Fixed times keep the wheel's bytes the same from one build to the next.
ZIP_TIME = (2020, 1, 1, 0, 0, 0)


def project_field(name: str) -> str:
    text = (HERE / "pyproject.toml").read_text(encoding="utf-8")
    found = re.search(rf'^{name}\s*=\s*"([^"]*)"', text, re.MULTILINE)
    if not found:
        raise SystemExit(f"build_wheel: no {name} in pyproject.toml")
    return found.group(1)


def platform_tag() -> str:
    # ctypes only: any Python 3, no ABI, but the library's own platform.
    return "py3-none-" + re.sub(r"[-.]", "_", sysconfig.get_platform())


def record_hash(data: bytes) -> str:
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=")
    return "sha256=" + digest.decode("ascii")


def metadata(version: str) -> str:
    readme = "Python interface of Vorn-KRAVENT_DLLInterface, with the library and kravent-sim inside."
    return "\n".join([
        "Metadata-Version: 2.1",
        "Name: vorn-kravent",
        f"Version: {version}",
        f"Summary: {project_field('description')}",
        f"Requires-Python: {project_field('requires-python')}",
        "",
        readme,
        "",
    ])


def wheel_file(tag: str) -> str:
    return f"Wheel-Version: 1.0\nGenerator: vorn-kravent build_wheel.py\nRoot-Is-Purelib: false\nTag: {tag}\n"


def entry_points() -> str:
    # pytest loads kravent.testing by itself once the wheel is installed.
    return "[pytest11]\nkravent = kravent.testing\n"


def binary(path: Path, strip: Optional[str]) -> bytes:
    """The file's bytes, without debug information when a ``strip`` program is given."""
    if not strip:
        return path.read_bytes()
    with tempfile.TemporaryDirectory() as work:
        copy = Path(work) / path.name
        shutil.copyfile(path, copy)
        subprocess.run([strip, "--strip-debug", str(copy)], check=True)
        return copy.read_bytes()


def contents(library: Path, simulator: Path, tool: Path, strip: Optional[str]) -> List[Tuple[str, bytes, bool]]:
    """(name in the wheel, bytes, executable) of every packaged file."""
    files = []
    for source in sorted((HERE / PACKAGE).iterdir()):
        if source.suffix == ".py" or source.name == "py.typed":
            files.append((f"{PACKAGE}/{source.name}", source.read_bytes(), False))
    # The loader looks beside the package for the library under its soname.
    files.append((f"{PACKAGE}/libVorn-KRAVENT_DLLInterface.so.1", binary(library, strip), False))
    files.append((f"{PACKAGE}/bin/kravent-sim", binary(simulator, strip), True))
    # Module.autotune runs the tool's experiment.
    files.append((f"{PACKAGE}/bin/kravent", binary(tool, strip), True))
    return files


def write_wheel(library: Path, simulator: Path, tool: Path, out: Path, strip: Optional[str] = None) -> Path:
    version, tag = project_field("version"), platform_tag()
    info = f"{DISTRIBUTION}-{version}.dist-info"
    files = contents(library, simulator, tool, strip)
    files += [(f"{info}/METADATA", metadata(version).encode(), False),
              (f"{info}/WHEEL", wheel_file(tag).encode(), False),
              (f"{info}/entry_points.txt", entry_points().encode(), False),
              (f"{info}/top_level.txt", f"{PACKAGE}\n".encode(), False)]
    record = io.StringIO()
    writer = csv.writer(record, lineterminator="\n")
    for name, data, _ in files:
        writer.writerow([name, record_hash(data), len(data)])
    writer.writerow([f"{info}/RECORD", "", ""])
    files.append((f"{info}/RECORD", record.getvalue().encode(), False))

    out.mkdir(parents=True, exist_ok=True)
    target = out / f"{DISTRIBUTION}-{version}-{tag}.whl"
    partial = target.with_suffix(".partial")
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED) as wheel:
        for name, data, executable in files:
            entry = zipfile.ZipInfo(name, ZIP_TIME)
            entry.compress_type = zipfile.ZIP_DEFLATED
            mode = 0o755 if executable else 0o644
            entry.external_attr = (stat.S_IFREG | mode) << 16
            wheel.writestr(entry, data)
    partial.replace(target)  # never a half-written wheel under the real name
    for older in out.glob(f"{DISTRIBUTION}-*.whl"):
        if older != target:
            older.unlink()  # one wheel in the directory: that of this build
    return target


def main(argv: List[str]) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--library", type=Path, required=True, help="the built shared library")
    parser.add_argument("--simulator", type=Path, required=True, help="the built kravent-sim")
    parser.add_argument("--tool", type=Path, required=True, help="the built kravent")
    parser.add_argument("--out", type=Path, required=True, help="directory of the wheel")
    parser.add_argument("--strip", help="strip program: the wheel's binaries lose their debug information")
    args = parser.parse_args(argv)
    print(write_wheel(args.library, args.simulator, args.tool, args.out, args.strip))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
