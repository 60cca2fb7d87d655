#!/usr/bin/env bash
# The tests whose code runs on several threads at once (the encoder
# library's job states, the encoder component and its worker thread, the
# pool of encoders, runs with several jobs), built with ThreadSanitizer in a
# build folder of their own and run; a single report fails the script.
# ./test.sh calls it after the main suite; it may also run alone.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TRACKMILL_TSAN_BUILD:-build-tsan}
tests=(gogo_handles_test gogotea_test encoderpool_test flactrackencoder_test rip_jobsrun_test)

start=$(date +%s)
# -O1: ThreadSanitizer's own advice, several times faster than -O0 and
# still exact stacks.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DCMAKE_C_FLAGS_DEBUG="-g -O1" -DTRACKMILL_TSAN=ON -DTRACKMILL_TESTS=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${tests[@]}" gogo
built=$(date +%s)

export QT_QPA_PLATFORM=offscreen
# Every report is a failure; Qt and the system libraries are not built with
# ThreadSanitizer, their inner locks are described in the suppressions.
export TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp"
failed=()
for t in "${tests[@]}"; do
  echo "== $t (ThreadSanitizer)"
  # Three rounds: a race shows only when the threads meet at the wrong time.
  if ! "$build/tests/bin/$t" --gtest_brief=1 --gtest_repeat=3; then
    failed+=("$t")
  fi
done
echo "ThreadSanitizer: built in $((built - start)) s, ran in $(( $(date +%s) - built )) s"
if [[ ${#failed[@]} -gt 0 ]]; then
  echo "ThreadSanitizer failures: ${failed[*]}" >&2
  exit 1
fi
