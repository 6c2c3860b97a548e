#include "GuionModal.h"

#include <QApplication>
#include <QDialog>
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
  } else {
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

bool EsperarHasta(const std::function<bool()>& hecho, int ms) {
  return QTest::qWaitFor(hecho, ms);
}

}  // namespace trasvelo::test
