# shellcheck shell=bash
# The steps of a test script: each passes or fails under its description, and the script ends
# by how many failed ($failures). Sourced, never run.
failures=0

pass() { echo "ok (${SECONDS} s): $1"; }
fail() {
    echo "FAILED (${SECONDS} s): $1"
    failures=$((failures + 1))
}
# check <description> <command...>: one step that passes when the command succeeds; answers
# the command's success.
check() {
    local description=$1
    shift
    if "$@"; then
        pass "$description"
        return 0
    fi
    fail "$description"
    return 1
}
