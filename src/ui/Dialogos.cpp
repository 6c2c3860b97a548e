#include "ui/Dialogos.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>

namespace trasvelo::ui {

namespace {

QString Texto(const std::string& texto) {
  QString qtexto = QString::fromStdString(texto);
  // Messages break lines the Windows way; a label wants bare line feeds.
  qtexto.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return qtexto;
}

void Caja(QWidget* padre, QMessageBox::Icon icono, const std::string& texto,
          const std::string& detalle = {}) {
  QMessageBox caja(icono, QString::fromLatin1(kTituloAplicacion), Texto(texto), QMessageBox::Ok,
                   padre);
  if (!detalle.empty()) {
    caja.setDetailedText(Texto(detalle));
  }
  caja.exec();
}

}  // namespace

std::optional<std::filesystem::path> ElegirArchivo(QWidget* padre,
                                                   const core::DialogoArchivo& dialogo) {
  // No initial directory: the dialog opens where the process runs.
  QFileDialog dlg(padre, Texto(dialogo.titulo));
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  dlg.setFileMode(QFileDialog::AnyFile);
  dlg.setNameFilter(Texto(dialogo.filtro));
  dlg.setDefaultSuffix(Texto(dialogo.extension));
  if (dlg.exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  const QStringList elegidos = dlg.selectedFiles();
  if (elegidos.isEmpty() || elegidos.first().isEmpty()) {
    return std::nullopt;
  }
  // File names are bytes on this system: hand them over as the file system
  // spells them.
  return std::filesystem::path(QFile::encodeName(elegidos.first()).toStdString());
}

void MostrarMensaje(QWidget* padre, const std::string& texto) {
  Caja(padre, QMessageBox::Information, texto);
}

void MostrarMensajeConDetalle(QWidget* padre, const std::string& texto,
                              const std::string& detalle) {
  Caja(padre, QMessageBox::Information, texto, detalle);
}

void MostrarError(QWidget* padre, const std::string& texto) {
  Caja(padre, QMessageBox::Critical, texto);
}

}  // namespace trasvelo::ui
