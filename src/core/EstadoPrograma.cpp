#include "core/EstadoPrograma.h"

namespace trasvelo::core {

EstadoPrograma::EstadoPrograma(Directorios dirs)
    : directorios(std::move(dirs)), tablas(directorios.trabajo, directorios.programa) {}

}  // namespace trasvelo::core
