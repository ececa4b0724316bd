# The pages of docs/ stay true. Every C block compiles against kelvo.h; C, C# and Python blocks
# marked <!-- runnable --> (the line before the fence) run against a kelvo-sim of their own, on
# 127.0.33.N instead of the pages' 127.0.0.1; every kelvoctl command of a console block prints what
# the page shows ("..." stands for any text within a line, or alone for any lines).

import os
import re
import shlex
import shutil
import subprocess
import sys
from pathlib import Path
from typing import Iterator, List, NamedTuple

import pytest

ROOT = Path(__file__).resolve().parents[2]
sys.path[:0] = [str(ROOT / "python" / "tests"), str(ROOT / "python")]
from conftest import BUILD, Sim, address_in  # noqa: E402  (kelvo-sim as the Python tests drive it)

DOCS = ROOT / "docs"
SHOWN_ADDRESS = "127.0.0.1"
FENCE = re.compile(r"^(?P<marker><!-- runnable -->\n)?```(?P<lang>[\w#]+)[^\n]*\n(?P<body>.*?)^```$",
                   re.M | re.S)


class Snippet(NamedTuple):
    where: str  # page:line
    runnable: bool
    body: str


def snippets(*langs: str) -> List[object]:
    found = []
    for page in sorted(DOCS.rglob("*.md")):
        text = page.read_text(encoding="utf-8")
        for m in FENCE.finditer(text):
            if m["lang"] in langs:
                where = "%s:%d" % (page.relative_to(ROOT), text.count("\n", 0, m.start("lang")) + 1)
                found.append(pytest.param(Snippet(where, bool(m["marker"]), m["body"]), id=where))
    return found


def test_pages_have_snippets() -> None:
    # A changed fence syntax must not let every check below pass on nothing.
    assert snippets("c") and snippets("python") and snippets("console")


@pytest.fixture
def address() -> Iterator[str]:
    # A kelvo-sim listening on an address of this test's own.
    sim = Sim(address_in("127.0.33"))
    yield sim.address
    sim.stop()


def run(argv: List[str]) -> "subprocess.CompletedProcess[str]":
    # KELVO_LIBRARY comes from conftest.
    return subprocess.run(argv, capture_output=True, text=True, timeout=60, cwd=ROOT,
                          env=dict(os.environ, PYTHONPATH=str(ROOT / "python")))


def succeeds(snippet: Snippet, argv: List[str], fault: str = "failed") -> None:
    done = run(argv)
    assert done.returncode == 0, "%s %s:\n%s%s" % (snippet.where, fault, done.stdout, done.stderr)


@pytest.mark.parametrize("snippet", snippets("c"))
def test_c_snippet(snippet: Snippet, tmp_path: Path, request: pytest.FixtureRequest) -> None:
    source, program = tmp_path / "snippet.c", tmp_path / "snippet"
    flags = ["-std=c11", "-Wall", "-Wextra", "-Werror", "-I", str(ROOT / "src" / "api"),
             "-I", str(BUILD / "include")]
    body = snippet.body
    if snippet.runnable:
        body = body.replace(SHOWN_ADDRESS, request.getfixturevalue("address"))
        flags += ["-o", str(program), "-L", str(BUILD / "src"), "-lkelvo_dll",
                  "-Wl,-rpath," + str(BUILD / "src"), "-lm"]
    else:
        flags += ["-fsyntax-only"]
    source.write_text(body)
    succeeds(snippet, ["cc", str(source), *flags], "does not compile")
    if snippet.runnable:
        succeeds(snippet, [str(program)])


@pytest.mark.parametrize("snippet", [s for s in snippets("python") if s.values[0].runnable])
def test_python_snippet(snippet: Snippet, address: str) -> None:
    succeeds(snippet, ["/usr/bin/python3", "-c", snippet.body.replace(SHOWN_ADDRESS, address)])


@pytest.mark.parametrize("snippet", snippets("csharp"))
def test_csharp_snippet(snippet: Snippet, tmp_path: Path, request: pytest.FixtureRequest) -> None:
    body = snippet.body
    if snippet.runnable:
        body = body.replace(SHOWN_ADDRESS, request.getfixturevalue("address"))
        # Mono finds the library beside the program, through the example's dllmap.
        shutil.copy(ROOT / "bindings" / "csharp" / "example" / "KelvoExample.exe.config",
                    tmp_path / "Snippet.exe.config")
        (tmp_path / "libkelvo_dll.so.1").symlink_to(BUILD / "src" / "libkelvo_dll.so.1")
    (tmp_path / "Snippet.cs").write_text(body)
    sources = [str(ROOT / "bindings" / "csharp" / "Kelvo.cs"), str(tmp_path / "Snippet.cs")]
    program = ["mcs", "-out:" + str(tmp_path / "Snippet.exe"), *sources]
    succeeds(snippet, program, "does not compile")
    if snippet.runnable:
        succeeds(snippet, ["mono", str(tmp_path / "Snippet.exe")])


def looks_like(shown: str, printed: str) -> bool:
    pattern = "".join("(?:.*\n)*?" if line == "..." else
                      ".*".join(map(re.escape, line.rstrip().split("..."))) + " *\n"
                      for line in shown.rstrip("\n").split("\n"))
    return re.fullmatch(pattern, printed) is not None


@pytest.mark.parametrize("snippet", snippets("console"))
def test_kelvoctl_commands(snippet: Snippet, address: str) -> None:
    # The block's "$ kelvoctl ..." lines, each with the output shown under it
    shown_commands = [p.partition("\n")[::2] for p in re.split(r"^\$ ", snippet.body, flags=re.M)[1:]]
    assert shown_commands, "%s shows no command" % snippet.where
    for command, shown in shown_commands:
        argv = shlex.split(command.replace(SHOWN_ADDRESS, address))
        assert argv[0] == "kelvoctl", "%s: only kelvoctl commands are checked: %s" % (snippet.where, command)
        ran = run([str(BUILD / "tools" / "kelvoctl"), *argv[1:]])
        assert looks_like(shown, ran.stdout), "%s: $ %s\nprinted:\n%s%s" % (
            snippet.where, command, ran.stdout, ran.stderr)


@pytest.mark.parametrize("shown, printed, alike", [
    ("dout 1 = 1\n", "dout 1 = 1\n", True), ("dout 1 = 1\n", "dout 1 = 0\n", False),
    ("dout 1 = 1\n", "dout 1 = 1\nmore\n", False), ("a.b\n", "axb\n", False),
    ("connected in ... ms\n", "connected in 12 ms\n", True),
    ("a\n...\nz\n", "a\nb\nc\nz\n", True), ("a\n...\nz\n", "a\nz\n", True),
    ("a\n...\nz\n", "a\nb\n", False),
])
def test_looks_like(shown: str, printed: str, alike: bool) -> None:
    assert looks_like(shown, printed) == alike


def test_log_line_table() -> None:
    # Python's rendering of each fixed log text and the page's must be the same.
    from kelvo import log
    rows = [row for row in (DOCS / "troubleshooting.md").read_text(encoding="utf-8").splitlines()
            if row.startswith("|")]
    assert [text for text, english in sorted(log._ENGLISH.items())
            if not any(text in row and english in row for row in rows)] == []


# Sphinx checks the Markdown links; links to the generated C reference and man page are HTML.
@pytest.mark.parametrize("page, href", [
    pytest.param(page, href, id="%s:%s" % (page.name, href)) for page in sorted(DOCS.rglob("*.md"))
    for href in re.findall(r'<a href="([^"#]+)', page.read_text(encoding="utf-8"))])
def test_raw_link(page: Path, href: str) -> None:
    assert (BUILD / "docs" / page.relative_to(DOCS)).parent.joinpath(href).is_file(), \
        "%s links to %s, which the site lacks (scripts/kelvo.sh docs builds it)" % (page.name, href)
