#!/usr/bin/env bash
# Test lines against code lines: non-blank, non-comment lines of tracked sources.
set -euo pipefail
cd "$(git rev-parse --show-toplevel)"
count() { git ls-files -- "$@" | grep -E '\.(cpp|cc|h|hpp|c|py)$' | xargs -r cat | grep -cvE '^\s*$|^\s*(//|#)' || true; }
t=$(count tests python/tests)
c=$(count src sim tools include python/kelvo)
echo "Test lines: $t, code lines: $c ($((100 * t / c)) %)"
