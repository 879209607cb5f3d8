#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a number of
# seconds (default 600), starting from the seed corpus in fuzz/corpus/<target>.
# New inputs go to build/fuzz/corpus/<target>; a crashing input is saved as
# build/fuzz/findings/<target>/crash-*, timeout-* or oom-* and the script fails.
#
#   scripts/fuzz.sh [seconds] [target...]
#   targets: control_file frequency_spectrum directional_spectrum energy_balance textio swan_import check
#   FUZZ_JOBS=2 runs two targets at a time.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-600}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(control_file frequency_spectrum directional_spectrum energy_balance textio swan_import check)
fi
jobs="${FUZZ_JOBS:-1}"

clang_cxx="$(command -v clang++-14 || command -v clang++ || true)"
if [ -z "$clang_cxx" ]; then
  echo "fuzz.sh: clang++ is needed (Debian: apt-get install clang-14 libclang-rt-14-dev)" >&2
  exit 1
fi

# Absolute paths: the targets work inside a scratch folder of their own.
root="$PWD"
build="$root/build/fuzz"
# A build folder configured with another compiler would be configured anew
# without the options below.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qx "CMAKE_CXX_COMPILER:[A-Z]*=$clang_cxx" "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER="$clang_cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DWAVECOMP_BUILD_FUZZERS=ON -DWAVECOMP_BUILD_TESTS=OFF -DWAVECOMP_WERROR=OFF >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

run_target() {
  local target="$1"
  local corpus="$build/corpus/$target"
  local findings="$build/findings/$target"
  local status=0
  mkdir -p "$corpus" "$findings"
  echo "fuzz.sh: $target for ${seconds}s"
  # -timeout: one input may take a second at most (a slower one is a hang),
  # except for the targets that run the whole program: the band walk of the
  # frequency resampling is bounded at 10^7 fine steps past the table, which
  # takes 0.1 s in a release build but up to 1.6 s with the fuzzer's
  # instrumentation and sanitizers (measured), so they get 5 s. So do the
  # importer, whose seed seed_2d.swn (a 2-D spectrum converted in full) takes
  # 1.0-1.2 s here, and the checker, which runs a whole check with its plot
  # and a short time-domain check (its slowest seed 0.3 s): four times the
  # slowest seed, for a machine that is busy.
  # -rss_limit_mb: the workspace is 190 MB of capacity, so 2 GB is a blow-up.
  local timeout=1
  case "$target" in
    frequency_spectrum | directional_spectrum | energy_balance | swan_import | check) timeout=5 ;;
  esac
  "$build/fuzz/fuzz_$target" "$corpus" "$root/fuzz/corpus/$target" \
    -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 -max_len=65536 \
    -artifact_prefix="$findings/" -print_final_stats=1 \
    >"$build/$target.log" 2>&1 || status=$?
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$build/$target.log" \
    | sed "s/^/fuzz.sh: $target /" || true
  if [ $status -ne 0 ]; then
    echo "fuzz.sh: $target FOUND A FAULT, see $build/$target.log and $findings/" >&2
  fi
  return $status
}

status=0
pids=()
for target in "${targets[@]}"; do
  run_target "$target" &
  pids+=($!)
  if [ ${#pids[@]} -ge "$jobs" ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
exit $status
