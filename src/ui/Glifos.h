#pragma once

#include <QIcon>

// The glyphs of the bitmap buttons, drawn here so that they look the same
// whatever icon theme the desktop has.
namespace trasvelo::ui {

// The OK kind: a green check mark.
QIcon GlifoAceptar();
// The close kind: an open door.
QIcon GlifoCerrar();

}  // namespace trasvelo::ui
