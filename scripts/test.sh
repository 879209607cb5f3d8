#!/usr/bin/env bash
# Builds wavecomp with warnings as errors and runs the whole test suite, then
# builds it again with AddressSanitizer and UndefinedBehaviorSanitizer (any
# report stops the test that made it) and runs the whole suite under them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake --workflow --preset ci
cmake --workflow --preset sanitize
