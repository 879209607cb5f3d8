#!/usr/bin/env bash
# Builds the four programs and the Python module (all that cmake --install
# installs), puts the module into Debian's Python (under /usr/local, as root
# or through sudo, as the set-up installs packages), runs a bundled example
# in a scratch copy
# (so the repository stays clean and the example can be run again and again)
# and checks the component file it wrote. The scratch folder is kept.
#
#   scripts/example.sh [jonswap|sspe|emep|ene]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh
cmake --preset release >/dev/null
cmake --build --preset release --target wavecomp wavecomp-check wavecomp-import wavecomp-export _wavecomp
# So that `python3 -c "import wavecomp"` works for Debian's python3 from now on.
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
$sudo_cmd cmake --install build/release --component python --prefix /usr/local >/dev/null
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
  echo "== reading it from Python: /usr/bin/python3 -c \"import wavecomp; print(wavecomp.read('wave.dat'))\""
  (cd "$scratch" && /usr/bin/python3 -c "import wavecomp; print(wavecomp.read('wave.dat'))") || status=$?
fi
echo "== the scratch folder $scratch is kept; remove it when done"
exit "$status"
