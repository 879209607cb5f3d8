#!/usr/bin/env bash
# Builds wavecomp, wavecomp-check and wavecomp-import (all that cmake --install
# installs), runs a bundled example in a scratch copy
# (so the repository stays clean and the example can be run again and again)
# and checks the component file it wrote. The scratch folder is kept.
#
#   scripts/example.sh [jonswap|sspe|emep|ene]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake --preset release >/dev/null
cmake --build --preset release --target wavecomp wavecomp-check wavecomp-import wavecomp-export
example="${1:-jonswap}"
if [ ! -f "examples/$example/cont.txt" ]; then
  echo "example.sh: no example \"$example\" (jonswap, sspe, emep or ene)" >&2
  exit 2
fi
scratch=$(mktemp -d)
cp -r "examples/$example/." "$scratch/"
echo "== running examples/$example in $scratch"
status=0
(cd "$scratch" && "$OLDPWD/build/release/wavecomp" </dev/null) || status=$?
echo "== exit status $status; files written:"
ls -l "$scratch"
if [ "$status" -eq 0 ]; then
  # The input file named in cont.txt (line 5, columns 11-210) is the target of
  # a tabulated run; a JNS file carries its own in the trailer.
  spectrum=()
  if [ "$example" != jonswap ]; then
    input=$(sed -n '5p' "$scratch/cont.txt" | cut -c11-210 | sed 's/[[:space:]]*$//')
    spectrum=(--spectrum "$input")
  fi
  echo "== checking: wavecomp-check ${spectrum[*]:+${spectrum[*]} }--svg wave.svg wave.dat"
  (cd "$scratch" && "$OLDPWD/build/release/wavecomp-check" "${spectrum[@]}" --svg wave.svg wave.dat) || status=$?
fi
echo "== the scratch folder $scratch is kept; remove it when done"
exit "$status"
