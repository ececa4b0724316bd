# python3-kelvo: built by CPack beside kelvo, unpacked into a temporary root, imported from there
# with kelvo's unpacked library.

import os
import subprocess

import pytest

import kelvo
from conftest import BUILD

DIST_PACKAGES = "usr/lib/python3/dist-packages"


@pytest.fixture(scope="module")
def unpacked(tmp_path_factory):
    # (root, python3-kelvo's .deb): the packages python3-kelvo and kelvo, unpacked into root.
    out = tmp_path_factory.mktemp("debs")
    subprocess.run(["cpack", "-G", "DEB", "-B", str(out), "-D",
                    "CPACK_COMPONENTS_ALL=python;runtime"], cwd=str(BUILD), check=True,
                   capture_output=True, timeout=120)
    root = tmp_path_factory.mktemp("root")
    for deb in ("python3-kelvo_*_all.deb", "kelvo_*.deb"):
        (found,) = out.glob(deb)
        subprocess.run(["dpkg-deb", "-x", str(found), str(root)], check=True, timeout=60)
    (python_deb,) = out.glob("python3-kelvo_*.deb")
    return root, python_deb


@pytest.mark.parametrize("command, expected", [
    (["/usr/bin/python3", "-c", "import kelvo; print(kelvo.version())"],
     lambda root: kelvo.version()),
    (["/usr/bin/python3", "-c", "import kelvo.aio; print(kelvo.aio.__file__)"],
     lambda root: str(root / DIST_PACKAGES / "kelvo" / "aio.py")),
    (["dpkg-deb", "-f", "{deb}", "Depends"],
     lambda root: "kelvo (= %s), python3" % kelvo.version()),
])
def test_unpacked_package(unpacked, tmp_path, command, expected):
    root, deb = unpacked
    (library,) = root.glob("usr/lib/**/libkelvo_dll.so.1")
    environment = {key: value for key, value in os.environ.items()
                   if key not in ("KELVO_LIBRARY", "PYTHONPATH", "LD_LIBRARY_PATH")}
    environment.update(PYTHONPATH=str(root / DIST_PACKAGES), LD_LIBRARY_PATH=str(library.parent))
    finished = subprocess.run([part.format(deb=deb) for part in command], env=environment,
                              cwd=str(tmp_path), capture_output=True, text=True, timeout=60)
    assert finished.returncode == 0, finished.stderr[-2000:]
    assert finished.stdout.strip().startswith(expected(root))
