#pragma once

// The system's fixed messages (UTF-8, as every message shown to the user).
namespace trasvelo::core::mensajes {

inline constexpr const char* kNoExisteArchivo = "No existe archivo";
inline constexpr const char* kProcesoFinalizado = "Proceso finalizado";
inline constexpr const char* kFaltaNiveles =
    "ATENCIÓN - NIVELLARI.DBF No encontrado - Reinstale TRASVELO";
inline constexpr const char* kFaltaPeriodos =
    "ATENCIÓN - PERIODOS.DBF No encontrado - Importe de nuevo XML de RACIMA.";
inline constexpr const char* kDemasiadosMarcos =
    "Demasiados Marcos Horarios seleccionados.\r\n"
    "Como máximo puede seleccionar 2 Marcos Horarios";
inline constexpr const char* kNingunMarco = "Debe al menos seleccionar 1 Marco Horario.";

}  // namespace trasvelo::core::mensajes
