#!/usr/bin/env bash
# Builds Trasvelo and runs its main job. Installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

build=${TRASVELO_BUILD:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRASVELO_TESTS=OFF
cmake --build "$build" -j "$(nproc)"

bin="$build/bin"
if [ -x "$bin/trasvelo" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/trasvelo" "$@"
fi
echo "Built $bin/trasvelo-lote and $bin/trasvelo."
echo "The window needs a display (DISPLAY or WAYLAND_DISPLAY); none is set here."
echo "Without one, use the batch command: $bin/trasvelo-lote --help"
