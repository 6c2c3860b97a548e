#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/InterfazUsuario.h"

class QWidget;

// The standard dialogs of the windows. Texts are UTF-8, as every message;
// `padre` may be null (a window embedded into a foreign one
// cannot own dialogs).
namespace trasvelo::ui {

inline constexpr const char* kTituloAplicacion = "Trasvelo";

// The file-open dialog: a name typed for a file that does not exist is
// accepted too (the caller checks), a bare name gets the default extension.
std::optional<std::filesystem::path> ElegirArchivo(QWidget* padre,
                                                   const core::DialogoArchivo& dialogo);
// A message box titled "Trasvelo"; returns when the user dismisses it.
void MostrarMensaje(QWidget* padre, const std::string& texto);
// The same box with `detalle` as its detailed text, which the user opens on
// demand ("Show Details...").
void MostrarMensajeConDetalle(QWidget* padre, const std::string& texto, const std::string& detalle);
// The error box titled "Trasvelo".
void MostrarError(QWidget* padre, const std::string& texto);

}  // namespace trasvelo::ui
