#include "ui/Ayuda.h"

#include <QMessageBox>
#include <QString>

namespace trasvelo::ui {

namespace {

void AvisarNoDisponible(QWidget* padre, const std::string& archivo) {
  QMessageBox::information(
      padre, QStringLiteral("Trasvelo"),
      QString::fromUtf8("La ayuda (%1) aún no está disponible en esta versión de Trasvelo.")
          .arg(QString::fromStdString(archivo)));
}

}  // namespace

void AyudaNoDisponible::AbrirIndiceAyuda(const std::string& archivo) {
  AvisarNoDisponible(padre_, archivo);
}

void AyudaNoDisponible::AbrirTemaAyuda(const std::string& archivo, int /*tema*/) {
  AvisarNoDisponible(padre_, archivo);
}

}  // namespace trasvelo::ui
