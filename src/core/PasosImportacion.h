#pragma once

#include "core/EstadoPrograma.h"
#include "core/InterfazUsuario.h"

// The seven import steps, called in this order by the import run. Each reads
// the loaded document in estado.DocumentoXML and drops, recreates and fills
// its working tables in estado.directorios.trabajo.
namespace trasvelo::core {

void TransformarMaterias(EstadoPrograma& estado);        // ASIGNOMT, ASIGNOMT2
void TransformarActividades(EstadoPrograma& estado);     // appends to ASIGNOMT
void TransformarEmpleados(EstadoPrograma& estado);       // PROFT
void TransformarDependencias(EstadoPrograma& estado);    // AULAT
void TransformarCursosUnidades(EstadoPrograma& estado);  // CURSOST, GRUPOST
void TransformarAsignaciones(EstadoPrograma& estado);    // ASIGT
void TransformarTramos(EstadoPrograma& estado, InterfazUsuario& ui);  // DIASHORAST, DIASHORAST2, PERIODOS

}  // namespace trasvelo::core
