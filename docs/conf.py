"""The documentation site: Markdown pages (MyST) and the Python API (autodoc) in one Sphinx build.

The C API's Doxygen HTML is copied in beside it when KELVO_DOXYGEN_DIR names its output."""

import os
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "python"))

project = "kelvo"
author = "the kelvo developers"
extensions = ["myst_parser", "sphinx.ext.autodoc"]
source_suffix = {".md": "markdown"}
root_doc = "index"
exclude_patterns = ["_build"]
myst_heading_anchors = 3
highlight_language = "none"
html_theme = "alabaster"
html_show_sphinx = False
html_static_path: list = []
html_extra_path = [os.environ["KELVO_DOXYGEN_DIR"]] if os.environ.get("KELVO_DOXYGEN_DIR") else []

# Every reference must resolve. The standard library's own pages are not part of this offline
# site, so only references into it are let through.
nitpicky = True
nitpick_ignore_regex = [
    ("py:class", r"(int|float|str|bool|bytes|object|None|Ellipsis|BaseException|Exception)"),
    ("py:class", r"(typing|ctypes|enum|os|logging|collections\.abc)\..*"),
    ("py:obj", r"(typing|ctypes)\..*"),
    # the package's private ctypes records and type variables, in signatures only
    ("py:class", r"kelvo\.(\w+\.)*_.*|kelvo\.enums\.E|kelvo\.dashboard\.(server|panel|control)\..*"),
]
autodoc_member_order = "bysource"
autodoc_typehints = "signature"
