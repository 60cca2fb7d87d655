#!/usr/bin/env bash
# Builds every libFuzzer target with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each one briefly from its seed
# corpus. Usage: tests/fuzz/run-fuzzers.sh [seconds per target, default 30]
# [target names...]. New findings are kept in build-fuzz/fuzz/corpus/<name>;
# a crash leaves its input in build-fuzz/fuzz/ and makes the script fail.
set -euo pipefail
seconds=${1:-30}
shift || true
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build-fuzz

# The project's packages, and clang with its fuzzing runtime.
"$root/scripts/install-deps.sh"
if ! command -v clang++ >/dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q 'ok installed'; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev
fi

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTRACKMILL_FUZZ=ON -DTRACKMILL_SANITIZE=ON -DTRACKMILL_TESTS=ON >/dev/null
cmake --build "$build" --target trackmill_fuzzers

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0

if [ $# -gt 0 ]; then
  names=("$@")
else
  names=()
  for exe in "$build"/fuzz/fuzz_*; do
    [ -x "$exe" ] && names+=("$(basename "$exe" | sed 's/^fuzz_//')")
  done
fi

status=0
for name in "${names[@]}"; do
  work=$build/fuzz/corpus/$name
  mkdir -p "$work"
  seeds=()
  [ -d "$root/tests/fuzz/corpus/$name" ] && seeds+=("$root/tests/fuzz/corpus/$name")
  dict=()
  [ -f "$root/tests/fuzz/$name.dict" ] && dict+=("-dict=$root/tests/fuzz/$name.dict")
  echo "== fuzz_$name for ${seconds}s"
  if ! (cd "$build/fuzz" && "./fuzz_$name" "${dict[@]}" -max_total_time="$seconds" \
          -max_len=65536 -timeout=10 -print_final_stats=1 "$work" "${seeds[@]}"); then
    echo "== fuzz_$name FAILED" >&2
    status=1
  fi
done
exit $status
