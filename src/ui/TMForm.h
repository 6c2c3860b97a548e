#pragma once

#include <QDialog>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/EstadoPrograma.h"
#include "core/InterfazUsuario.h"
#include "core/MainForm.h"

class QLabel;
class QPushButton;

namespace trasvelo::ui {

class Ayuda;
class GradientPanel;
class Incrustacion;

// The main window: two direction buttons over gradient panels, the close
// and help buttons. It only wires its controls to the core handlers and
// shows what they ask the user through core::InterfazUsuario.
class TMForm : public QDialog, public core::InterfazUsuario {
  Q_OBJECT

 public:
  // Creating the window runs FormCreate with the command line `argumentos`
  // (without the program name).
  TMForm(core::EstadoPrograma& estado, std::vector<std::string> argumentos, Ayuda& ayuda,
         QWidget* parent = nullptr);
  ~TMForm() override;

  // Start-up once the window exists: shows the command line's conversion
  // error, embeds the window into the host window when there is one, shows
  // the window and then starts the direction named on the command line.
  void Iniciar();

  const core::Arranque& arranque() const { return arranque_; }
  // True while the window sits inside a host window of another program.
  bool Incrustada() const { return incrustacion_ != nullptr; }

  // core::InterfazUsuario
  std::optional<std::filesystem::path> ElegirArchivo(const core::DialogoArchivo& dialogo) override;
  void MostrarMensaje(const std::string& texto) override;
  void MostrarInforme(const std::string& texto, const core::Informe& informe) override;
  void MostrarError(const std::string& texto) override;
  void CursorEspera(bool activo) override;
  core::EleccionMarcos ElegirMarcos(const std::filesystem::path& archivoXML) override;
  void DesactivarBotones() override;
  void CerrarVentana() override;

 public slots:
  // Escape does not close the main window; only BClose, the close box and
  // the runs do.
  void reject() override {}

 signals:
  // The window has closed and reported to the host: the program ends.
  void Cerrada();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BExportarClick();
  void BImportarClick();
  void Button1Click();
  void FormShow();
  // Runs a core handler; whatever escapes it is shown in the error box.
  template <typename Accion>
  void Ejecutar(Accion&& accion);
  // Owner of the dialogs: none while embedded.
  QWidget* PadreDialogos();

  core::EstadoPrograma& estado_;
  std::vector<std::string> argumentos_;
  Ayuda& ayuda_;
  core::Arranque arranque_;
  std::unique_ptr<Incrustacion> incrustacion_;
  bool cerrada_ = false;
  bool cursorEspera_ = false;

  GradientPanel* Draw3D1_ = nullptr;
  GradientPanel* Draw3D2_ = nullptr;
  GradientPanel* Draw3D3_ = nullptr;
  QLabel* Label1_ = nullptr;
  QLabel* Label3_ = nullptr;
  QLabel* Label4_ = nullptr;
  QPushButton* BExportar_ = nullptr;
  QPushButton* BImportar_ = nullptr;
  QPushButton* BClose_ = nullptr;
  QPushButton* Button1_ = nullptr;
};

}  // namespace trasvelo::ui
