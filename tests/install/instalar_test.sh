#!/bin/sh
# Installs the build into a temporary prefix and runs the installed batch
# command through its link in bin, then again after moving the whole prefix.
#   instalar_test.sh BUILD_DIR SOURCE_DIR WITH_QT
set -eu
build=$1
fuente=$2
con_qt=$3

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fallo() { echo "FALLO: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$tmp/prefijo" >"$tmp/instalar.log" 2>&1 ||
  { cat "$tmp/instalar.log" >&2; fallo "cmake --install"; }

carpeta="$tmp/prefijo/lib/trasvelo"
for f in trasvelo-lote NIVELLARI.dbf RACIMA.chm; do
  [ -f "$carpeta/$f" ] || fallo "falta lib/trasvelo/$f"
done
esperados="trasvelo-lote"
if [ "$con_qt" = ON ]; then
  esperados="trasvelo trasvelo-lote"
  [ -x "$carpeta/trasvelo" ] || fallo "falta lib/trasvelo/trasvelo"
  [ -f "$tmp/prefijo/share/applications/trasvelo.desktop" ] || fallo "falta la entrada de escritorio"
  [ -f "$tmp/prefijo/share/icons/hicolor/scalable/apps/trasvelo.svg" ] || fallo "falta el icono"
  grep -qx 'Exec=trasvelo' "$tmp/prefijo/share/applications/trasvelo.desktop" ||
    fallo "la entrada de escritorio no abre trasvelo"
fi
for p in $esperados; do
  enlace="$tmp/prefijo/bin/$p"
  [ -L "$enlace" ] || fallo "bin/$p no es un enlace"
  [ "$(readlink "$enlace")" = "../lib/trasvelo/$p" ] || fallo "bin/$p apunta a $(readlink "$enlace")"
done
# Nothing from the build's tools.
[ "$(ls "$tmp/prefijo/bin" | wc -l)" -eq "$(echo $esperados | wc -w)" ] ||
  fallo "bin tiene otros archivos: $(ls "$tmp/prefijo/bin")"

# Runs the installed command on the sample document; the working tables
# must appear.
ejecutar() {
  prefijo=$1
  export WINEPREFIX="$tmp/wine-$(basename "$prefijo")"
  mkdir -p "$WINEPREFIX/drive_c/VTEMP"
  cp "$fuente/data/muestra/centro.xml" "$tmp/centro.xml"
  (cd "$tmp" && "$prefijo/bin/trasvelo-lote" exportar centro.xml --marcos JM,JT) \
    >"$tmp/lote.log" 2>&1 || { cat "$tmp/lote.log" >&2; fallo "trasvelo-lote desde $prefijo"; }
  for t in ASIGNOMT ASIGNOMT2 PROFT AULAT CURSOST GRUPOST ASIGT DIASHORAST DIASHORAST2 PERIODOS; do
    [ -f "$WINEPREFIX/drive_c/VTEMP/$t.DBF" ] || fallo "falta la tabla $t.DBF (desde $prefijo)"
  done
}
ejecutar "$tmp/prefijo"
# Relocatable: the moved folder finds its level table beside itself.
mv "$tmp/prefijo" "$tmp/movido"
ejecutar "$tmp/movido"
echo "instalación correcta"
