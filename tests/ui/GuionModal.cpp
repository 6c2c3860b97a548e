#include "GuionModal.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QWidget>

namespace trasvelo::test {

GuionModal::GuionModal(std::vector<Accion> acciones, int plazoMs)
    : acciones_(std::move(acciones)), plazoMs_(plazoMs) {
  transcurrido_.start();
  reloj_.setInterval(10);
  connect(&reloj_, &QTimer::timeout, this, &GuionModal::Mirar);
  reloj_.start();
}

bool GuionModal::Terminado() const {
  return siguiente_ == acciones_.size() && QApplication::activeModalWidget() == nullptr;
}

void GuionModal::Mirar() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || !modal->isVisible()) {
    return;
  }
  const bool vencido = transcurrido_.elapsed() > plazoMs_;
  if (modal != actual_) {
    actual_ = modal;
    Visto visto{QString::fromLatin1(modal->metaObject()->className()), modal->windowTitle(), {}};
    if (auto* caja = qobject_cast<QMessageBox*>(modal)) {
      visto.texto = caja->text();
      visto.icono = caja->icon();
    }
    vistos_.push_back(visto);
    if (!vencido && siguiente_ < acciones_.size()) {
      // Acted on outside this timer's call: an action that opens a nested
      // modal dialog must not stop the watching.
      Accion accion = acciones_[siguiente_++];
      QPointer<QWidget> destino = modal;
      QTimer::singleShot(0, this, [accion, destino] {
        if (!destino.isNull()) {
          accion(destino.data());
        }
      });
      return;
    }
  } else if (!vencido) {
    return;
  }
  // Not in the script, or too late: get it out of the way.
  if (auto* dialogo = qobject_cast<QDialog*>(modal)) {
    dialogo->reject();
  }
  if (modal->isVisible()) {
    // A dialog without a way out, the time-frame chooser: a valid choice.
    if (auto* marcos = modal->findChild<QListWidget*>("ListBox2"); marcos && marcos->count() > 0) {
      marcos->clearSelection();
      marcos->item(0)->setSelected(true);
    }
    modal->close();
  }
}

GuionModal::Accion GuionModal::Aceptar() {
  return [](QWidget* w) {
    if (auto* dialogo = qobject_cast<QDialog*>(w)) {
      dialogo->accept();
    }
  };
}

GuionModal::Accion GuionModal::Rechazar() {
  return [](QWidget* w) {
    if (auto* dialogo = qobject_cast<QDialog*>(w)) {
      dialogo->reject();
    }
  };
}

GuionModal::Accion GuionModal::ElegirArchivo(std::filesystem::path carpeta, QString nombre) {
  return [carpeta, nombre](QWidget* w) {
    auto* dialogo = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dialogo, nullptr);
    const QString ruta = QString::fromStdString((carpeta / nombre.toStdString()).string());
    dialogo->setDirectory(QString::fromStdString(carpeta.string()));
    // The dialog's model must know the file before a typed bare name is
    // taken; a full path typed there often only changes folder.
    auto* modelo = dialogo->findChild<QFileSystemModel*>();
    ASSERT_NE(modelo, nullptr);
    ASSERT_TRUE(EsperarHasta([&] { return modelo->index(ruta).isValid(); }, 5000));
    auto* campo = dialogo->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(campo, nullptr);
    QTest::keyClicks(campo, nombre);
    QTest::keyClick(campo, Qt::Key_Return);
  };
}

bool EsperarHasta(const std::function<bool()>& hecho, int ms) {
  return QTest::qWaitFor(hecho, ms);
}

}  // namespace trasvelo::test
