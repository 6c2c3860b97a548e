#include "ui/TMForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <exception>
#include <utility>

#include "ui/Ayuda.h"
#include "ui/Controles.h"
#include "ui/Dialogos.h"
#include "ui/Glifos.h"
#include "ui/GradientPanel.h"
#include "ui/Incrustar.h"
#include "ui/TPlantillas.h"

namespace trasvelo::ui {

namespace {

// The hour-glass belongs to the run: while the user chooses, the arrow.
class CursorNormal {
 public:
  CursorNormal() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
  ~CursorNormal() { QApplication::restoreOverrideCursor(); }
  CursorNormal(const CursorNormal&) = delete;
  CursorNormal& operator=(const CursorNormal&) = delete;
};

}  // namespace

TMForm::TMForm(core::EstadoPrograma& estado, std::vector<std::string> argumentos, Ayuda& ayuda,
               QWidget* parent)
    : QDialog(parent), estado_(estado), argumentos_(std::move(argumentos)), ayuda_(ayuda) {
  setObjectName(QStringLiteral("MForm"));
  setWindowTitle(QStringLiteral("Exportar e importar datos entre Velmora y Racima"));
  // Dialog border: fixed size, a close box, no minimise or maximise box.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(632, 266);
  setSizeGripEnabled(false);
  setFont(FuenteDialogo(false));
  QPalette paleta = palette();
  paleta.setColor(QPalette::Window, paleta.color(QPalette::Button));
  setPalette(paleta);
  setAutoFillBackground(true);

  // Bottom panel first: tab order runs through the panels in the order
  // bottom, import side, export side.
  Draw3D1_ = Panel(this, "Draw3D1", QColor(0xC2, 0xCD, 0xFE), QColor(0xCF, 0xF2, 0xFE),
                   QColor(0xCC, 0xD8, 0xE6), QRect(0, 168, 633, 97));
  Draw3D2_ = Panel(this, "Draw3D2", QColor(0xF9, 0xD3, 0x7D), QColor(Qt::white),
                   QColor(0xFF, 0xEE, 0xDD), QRect(1, 0, 315, 169));
  Draw3D3_ = Panel(this, "Draw3D3", QColor(0xF9, 0xD3, 0x7D), QColor(Qt::white),
                   QColor(0xFF, 0xEE, 0xDD), QRect(316, 0, 317, 169));

  BClose_ = Boton(Draw3D1_, "BClose", QStringLiteral("&Salir"), QRect(256, 32, 89, 25));
  BClose_->setIcon(GlifoCerrar());
  Button1_ = Boton(Draw3D1_, "Button1", QStringLiteral("F1 Ayuda"), QRect(263, 64, 75, 25));
  Label1_ = Etiqueta(Draw3D1_, "Label1", QStringLiteral("Trasvelo para VM17 V-1.0"),
                     FuenteDialogo(true), QRect(8, 72, 0, 0), false);
  ColorTexto(Label1_, QColor(0xFF, 0x00, 0x00));
  Label1_->adjustSize();

  Label3_ =
      Etiqueta(Draw3D2_, "Label3", QStringLiteral("Transformar datos desde Racima hacia Velmora "),
               FuenteArial(16), QRect(24, 24, 265, 57), true);
  BExportar_ = Boton(Draw3D2_, "BExportar", QStringLiteral("OK"), QRect(96, 120, 89, 25));
  BExportar_->setIcon(GlifoAceptar());

  Label4_ =
      Etiqueta(Draw3D3_, "Label4", QStringLiteral("Transformar datos desde Velmora hacia Racima"),
               FuenteArial(16), QRect(8, 24, 305, 57), true);
  BImportar_ = Boton(Draw3D3_, "BImportar", QStringLiteral("OK"), QRect(96, 120, 89, 25));
  BImportar_->setIcon(GlifoAceptar());

  setTabOrder(BClose_, Button1_);
  setTabOrder(Button1_, BExportar_);
  setTabOrder(BExportar_, BImportar_);
  BClose_->setFocus();

  connect(BExportar_, &QPushButton::clicked, this, &TMForm::BExportarClick);
  connect(BImportar_, &QPushButton::clicked, this, &TMForm::BImportarClick);
  connect(BClose_, &QPushButton::clicked, this, &TMForm::close);
  connect(Button1_, &QPushButton::clicked, this, &TMForm::Button1Click);

  arranque_ = core::FormCreate(estado_, argumentos_);
}

TMForm::~TMForm() {
  if (cursorEspera_) {
    QApplication::restoreOverrideCursor();
  }
  // Release the host while the window still exists.
  incrustacion_.reset();
}

void TMForm::Iniciar() {
  if (arranque_.error) {
    MostrarError(*arranque_.error);
  }
  if (arranque_.ventanaAnfitriona) {
    // Without foreign windows, or when no window has that id, the window
    // starts as an ordinary top-level window; the run mode stays hosted.
    incrustacion_ = Incrustar(*this, *arranque_.ventanaAnfitriona);
  }
  show();
  // The direction starts once the window is on screen.
  QTimer::singleShot(0, this, &TMForm::FormShow);
}

template <typename Accion>
void TMForm::Ejecutar(Accion&& accion) {
  try {
    accion();
  } catch (const std::exception& error) {
    CursorEspera(false);
    MostrarError(error.what());
  }
}

void TMForm::FormShow() {
  if (cerrada_) {
    return;
  }
  Ejecutar([this] { core::FormShow(estado_, *this, argumentos_); });
}

void TMForm::BExportarClick() {
  Ejecutar([this] { core::BExportarClick(estado_, *this); });
}

void TMForm::BImportarClick() {
  Ejecutar([this] { core::BImportarClick(estado_, *this); });
}

void TMForm::Button1Click() {
  ayuda_.AbrirIndiceAyuda(kArchivoAyuda);
}

void TMForm::keyPressEvent(QKeyEvent* event) {
  // F1 anywhere on the window: its panels and buttons share its topic.
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    ayuda_.AbrirTemaAyuda(kArchivoAyuda, kTemaVentanaPrincipal);
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TMForm::closeEvent(QCloseEvent* event) {
  // Every way of closing comes here (BClose, the close box, Alt+F4, a run
  // that closes the window); the report is written once.
  if (!cerrada_) {
    cerrada_ = true;
    try {
      core::FormClose(estado_);
    } catch (const std::exception& error) {
      MostrarError(error.what());
    }
    emit Cerrada();
  }
  event->accept();
}

QWidget* TMForm::PadreDialogos() {
  return Incrustada() ? nullptr : this;
}

std::optional<std::filesystem::path> TMForm::ElegirArchivo(const core::DialogoArchivo& dialogo) {
  return ui::ElegirArchivo(PadreDialogos(), dialogo);
}

void TMForm::MostrarMensaje(const std::string& texto) {
  ui::MostrarMensaje(PadreDialogos(), texto);
}

void TMForm::MostrarInforme(const std::string& texto, const core::Informe& informe) {
  // The message stays as it is; the report waits behind "Show Details...".
  ui::MostrarMensajeConDetalle(PadreDialogos(), texto, informe.Texto());
}

void TMForm::MostrarError(const std::string& texto) {
  ui::MostrarError(PadreDialogos(), texto);
}

void TMForm::CursorEspera(bool activo) {
  if (activo == cursorEspera_) {
    return;
  }
  cursorEspera_ = activo;
  if (activo) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

core::EleccionMarcos TMForm::ElegirMarcos(const std::filesystem::path& archivoXML) {
  const CursorNormal cursor;
  TPlantillas Plantillas(archivoXML, ayuda_, PadreDialogos());
  Plantillas.exec();
  if (std::exception_ptr error = Plantillas.ErrorCarga()) {
    std::rethrow_exception(error);
  }
  return core::EleccionMarcos{Plantillas.SeleccionValida, Plantillas.MarcosSeleccionados};
}

void TMForm::DesactivarBotones() {
  BExportar_->setEnabled(false);
  BImportar_->setEnabled(false);
}

void TMForm::CerrarVentana() {
  close();
}

}  // namespace trasvelo::ui
