#!/usr/bin/env bash
# run-wine-test.sh DIR SECONDS PROGRAM [ARGS...]: runs a Windows test program in the session of DIR
# with a fresh temporary program folder (GATEVANE_TEST_DIR, a Windows path) and prints its output.
set -uo pipefail
dir=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
if [ ! -f "$dir/session.env" ]; then
    echo "no Wine session in $dir: run the tests through ctest, which starts one" >&2
    exit 1
fi
source "$dir/session.env"

work=$(mktemp -d "$dir/tmp/test.XXXXXX")
export GATEVANE_TEST_DIR="Z:${work//\//\\}"
log=$work.log
# The output goes to a file, not to ctest's pipe: Wine processes that outlive the test (the
# session's services) must not hold the pipe open.
timeout --kill-after=5 $((seconds - 10)) "$WINE" "$@" >"$log" 2>&1 </dev/null
status=$?
cat "$log"
[ $status -eq 124 ] && echo "run-wine-test: $(basename "$1") did not finish within $((seconds - 10)) s"
rm -rf "$work" "$log"
exit $status
