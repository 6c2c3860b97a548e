#!/usr/bin/env bash
# Builds Trasvelo and runs its main job on the bundled sample: imports the
# sample exchange document into a working directory, lets the demonstration
# solver place the timetable, exports it back, and prints what it wrote.
# Where a display is available it then opens the main window on that same
# working directory. Installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

build=${TRASVELO_BUILD:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRASVELO_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

bin="$build/bin"
# A sample Wine prefix inside the build, unless the user chose one.
export WINEPREFIX=${WINEPREFIX:-$PWD/$build/muestra-wine}
work="$WINEPREFIX/drive_c/VTEMP"
mkdir -p "$work"
sample="$PWD/$build/muestra/centro.xml"
mkdir -p "$(dirname "$sample")"
cp data/muestra/centro.xml "$sample"

echo "== Racima -> Velmora: $sample into $work"
"$bin/trasvelo-lote" exportar "$sample" --marcos JM,JT
echo "== The timetabling program's part (demonstration solver)"
"$build/tools/resolver_demo" "$work"
echo "== Velmora -> Racima"
"$bin/trasvelo-lote" importar "$sample"
"$build/tools/resumen" "$work" "$(dirname "$sample")/ResultadoVelmoscentro.xml"

if [ -x "$bin/trasvelo" ] && [ -n "${DISPLAY:-}" ]; then
  echo "== Opening the main window on $work"
  exec "$bin/trasvelo" "$@"
fi
echo "(No X display (DISPLAY) is set: the window $bin/trasvelo was not opened.)"
