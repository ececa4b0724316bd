# What the shell tests share, sourced by them: a work folder and a simulator pid ($sim) that go
# when the script ends, however it ends, and fail MESSAGE.
work=$(mktemp -d)
sim=
cleanup() {
    if [[ -n $sim ]]; then kill "$sim" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
