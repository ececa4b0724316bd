"""A build backend for the kelvo package that uses the standard library only (PEP 517, PEP 660).

The package is pure Python; the wheel holds kelvo/ and the metadata."""

import base64
import hashlib
import io
import re
import tarfile
import zipfile
from pathlib import Path
from typing import Dict, List, Optional, Tuple

_SOURCE = Path(__file__).resolve().parents[1]
_NAME = "kelvo"
_SUMMARY = "Remote control of a robot controller over TCP/IP, over the C library libkelvo_dll"
_WHEEL = "Wheel-Version: 1.0\nGenerator: kelvo_build\nRoot-Is-Purelib: true\nTag: py3-none-any\n"


def _version() -> str:
    text = (_SOURCE / _NAME / "__init__.py").read_text(encoding="utf-8")
    return re.search(r'^__version__ = "([^"]+)"', text, re.M).group(1)


def _metadata() -> str:
    return "Metadata-Version: 2.1\nName: %s\nVersion: %s\nSummary: %s\nRequires-Python: >=3.8\n" % (
        _NAME,
        _version(),
        _SUMMARY,
    )


_PACKAGED = (".py", ".typed", ".html", ".js", ".css", ".md")  # the dashboard's page too


def _package_files() -> List[Tuple[str, bytes]]:
    root = _SOURCE / _NAME
    files = sorted(
        p
        for p in root.rglob("*")
        if (p.suffix in _PACKAGED or p.name == "LICENSE") and "__pycache__" not in p.parts
    )
    return [("%s/%s" % (_NAME, p.relative_to(root).as_posix()), p.read_bytes()) for p in files]


def _record_line(name: str, data: bytes) -> str:
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return "%s,sha256=%s,%d" % (name, digest, len(data))


def _write_wheel(directory: str, files: List[Tuple[str, bytes]]) -> str:
    dist_info = "%s-%s.dist-info" % (_NAME, _version())
    files = files + [
        (dist_info + "/METADATA", _metadata().encode()),
        (dist_info + "/WHEEL", _WHEEL.encode()),
    ]
    record = "".join(_record_line(n, d) + "\n" for n, d in files) + dist_info + "/RECORD,,\n"
    name = "%s-%s-py3-none-any.whl" % (_NAME, _version())
    with zipfile.ZipFile(str(Path(directory) / name), "w", zipfile.ZIP_DEFLATED) as wheel:
        for path, data in files + [(dist_info + "/RECORD", record.encode())]:
            wheel.writestr(path, data)
    return name


def get_requires_for_build_wheel(config_settings: Optional[Dict] = None) -> List[str]:
    return []


get_requires_for_build_sdist = get_requires_for_build_editable = get_requires_for_build_wheel


def build_wheel(wheel_directory: str, config_settings: Optional[Dict] = None,
                metadata_directory: Optional[str] = None) -> str:
    return _write_wheel(wheel_directory, _package_files())


def build_editable(wheel_directory: str, config_settings: Optional[Dict] = None,
                   metadata_directory: Optional[str] = None) -> str:
    """A wheel whose .pth file puts this folder on the path: edits take effect at once."""
    return _write_wheel(wheel_directory, [(_NAME + ".pth", (str(_SOURCE) + "\n").encode())])


def build_sdist(sdist_directory: str, config_settings: Optional[Dict] = None) -> str:
    base = "%s-%s" % (_NAME, _version())
    sources = _package_files() + [
        ("pyproject.toml", (_SOURCE / "pyproject.toml").read_bytes()),
        ("build_backend/kelvo_build.py", Path(__file__).read_bytes()),
        ("PKG-INFO", _metadata().encode()),
    ]
    name = base + ".tar.gz"
    with tarfile.open(str(Path(sdist_directory) / name), "w:gz") as sdist:
        for path, data in sources:
            info = tarfile.TarInfo("%s/%s" % (base, path))
            info.size = len(data)
            sdist.addfile(info, io.BytesIO(data))
    return name
