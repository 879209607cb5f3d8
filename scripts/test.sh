#!/usr/bin/env bash
# Builds wavecomp with warnings as errors and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake --workflow --preset ci
