#pragma once

#include <QElapsedTimer>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <vector>

class QWidget;

namespace trasvelo::test {

// Plays a user at the modal dialogs that the code under test opens: every
// 10 ms it looks at the active modal widget and gives each new one the next
// action of the script. A dialog beyond the script, and every dialog after
// the deadline, is rejected, so that a failing test ends instead of hanging.
// Create it before the action that opens the first dialog.
class GuionModal : public QObject {
 public:
  using Accion = std::function<void(QWidget*)>;

  struct Visto {
    QString clase;  // "QFileDialog", "QMessageBox"...
    QString titulo;
    QString texto;  // a message box's text
    QMessageBox::Icon icono = QMessageBox::NoIcon;
  };

  explicit GuionModal(std::vector<Accion> acciones, int plazoMs = 15000);

  const std::vector<Visto>& Vistos() const { return vistos_; }
  // Every action has been given to a dialog and no modal dialog is open.
  bool Terminado() const;

  static Accion Aceptar();
  static Accion Rechazar();
  // Picks the file `nombre` in `carpeta` in Qt's own file dialog.
  static Accion ElegirArchivo(std::filesystem::path carpeta, QString nombre);

 private:
  void Mirar();

  std::vector<Accion> acciones_;
  size_t siguiente_ = 0;
  std::vector<Visto> vistos_;
  QPointer<QWidget> actual_;
  QTimer reloj_;
  QElapsedTimer transcurrido_;
  int plazoMs_;
};

// Processes events until `hecho` holds or `ms` have passed; returns `hecho()`.
bool EsperarHasta(const std::function<bool()>& hecho, int ms = 15000);

}  // namespace trasvelo::test
