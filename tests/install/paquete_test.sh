#!/bin/sh
# Builds the Debian package into a temporary folder and checks its files and
# its declared dependencies.
#   paquete_test.sh BUILD_DIR WITH_QT
set -eu
build=$1
con_qt=$2

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fallo() { echo "FALLO: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log" >&2; fallo "cpack"; }
set -- "$tmp"/trasvelo_*.deb
[ -f "$1" ] || fallo "no hay trasvelo_*.deb en $(ls "$tmp")"
deb=$1

dpkg-deb -c "$deb" >"$tmp/contenido"
tiene() {
  grep -q -- "$1" "$tmp/contenido" || { cat "$tmp/contenido" >&2; fallo "el paquete no tiene $1"; }
}
tiene ' ./usr/lib/trasvelo/trasvelo-lote$'
tiene ' ./usr/lib/trasvelo/NIVELLARI.dbf$'
tiene ' ./usr/lib/trasvelo/RACIMA.chm$'
tiene ' ./usr/bin/trasvelo-lote -> ../lib/trasvelo/trasvelo-lote$'
if [ "$con_qt" = ON ]; then
  tiene ' ./usr/lib/trasvelo/trasvelo$'
  tiene ' ./usr/bin/trasvelo -> ../lib/trasvelo/trasvelo$'
  tiene ' ./usr/share/applications/trasvelo.desktop$'
  tiene ' ./usr/share/icons/hicolor/scalable/apps/trasvelo.svg$'
fi

dpkg-deb -I "$deb" >"$tmp/control"
campo() { grep -q -- "$1" "$tmp/control" || { cat "$tmp/control" >&2; fallo "falta $1"; }; }
campo '^ Package: trasvelo$'
campo '^ Maintainer: .'
campo '^ Description: .'
campo '^ Depends: .*libc6'
campo '^ Depends: .*libxml2'
campo '^ Depends: .*libchm1'
if [ "$con_qt" = ON ]; then
  campo '^ Depends: .*libqt6widgets6'
fi
echo "paquete correcto: $(basename "$deb")"
