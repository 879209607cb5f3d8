#!/usr/bin/env bash
# Builds wavecomp and runs the bundled JONSWAP example in a scratch copy, so
# the repository stays clean and the example can be run again and again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake --preset release >/dev/null
cmake --build --preset release --target wavecomp
example="${1:-jonswap}"
scratch=$(mktemp -d)
cp -r "examples/$example/." "$scratch/"
echo "== running examples/$example in $scratch"
status=0
(cd "$scratch" && "$OLDPWD/build/release/wavecomp" </dev/null) || status=$?
echo "== exit status $status; files written:"
ls -l "$scratch"
exit "$status"
