#include "ui/TPlantillas.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <utility>
#include <vector>

#include "platform/Text1252.h"
#include "ui/Ayuda.h"
#include "ui/Controles.h"
#include "ui/Dialogos.h"
#include "ui/Glifos.h"
#include "ui/GradientPanel.h"

namespace trasvelo::ui {

namespace {

// Values from the document are Windows-1252 program text.
QString Mostrable(const std::string& texto) {
  return QString::fromStdString(platform::Cp1252ToUtf8(texto));
}

const QColor kGranate(0x80, 0x00, 0x00);
const QColor kRojo(0xFF, 0x00, 0x00);
// Sky blue, and the inactive caption colour of the standard desktop scheme.
const QColor kAzulCielo(0xA6, 0xCA, 0xF0);
const QColor kTituloInactivo(0xBF, 0xCD, 0xDB);

}  // namespace

TPlantillas::TPlantillas(std::filesystem::path archivoXML, Ayuda& ayuda, QWidget* parent)
    : QDialog(parent), archivoXML_(std::move(archivoXML)), ayuda_(ayuda) {
  setObjectName(QStringLiteral("Plantillas"));
  setWindowTitle(QStringLiteral("Planillas, Marcos o Jornadas Horarias"));
  // A sizeable border with only the close box in the title bar.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFont(FuenteDialogo(false));
  // The panel fills the client area: 386 x 321 with the window's frame.
  resize(369, 281);
  move(424, 285);

  Draw3D4_ = Panel(this, "Draw3D4", kAzulCielo, QColor(Qt::white), kTituloInactivo, rect());

  LabelPlantillas_ = Etiqueta(
      Draw3D4_, "LabelPlantillas",
      QStringLiteral("Seleccione 1, o los 2 Marcos Horarios que quiere aplicar a su Horario en "
                     "Velmora."),
      FuenteArial(13), QRect(16, 2, 321, 33), true);
  LabelSelec_ = Etiqueta(
      Draw3D4_, "LabelSelec",
      QString::fromUtf8("Para seleccionar mas de un Marco Horario, mantenga (Ctrl) pulsado y "
                        "seleccione cada marco con 1 click del botón izquierdo del ratón."),
      FuenteArial(13, {.cursiva = true}), QRect(16, 36, 321, 50), true);
  ColorTexto(LabelSelec_, kRojo);
  LabelMarcos_ = Etiqueta(Draw3D4_, "LabelMarcos", QStringLiteral("MARCOS"), FuenteArial(16),
                          QRect(40, 86, 74, 16), false);
  ColorTexto(LabelMarcos_, kGranate);
  Label1_ = Etiqueta(Draw3D4_, "Label1", QStringLiteral("HORAS"), FuenteArial(16),
                     QRect(215, 86, 67, 18), false);
  ColorTexto(Label1_, kGranate);

  // The frame list: its selected lines are the user's choice.
  ListBox2_ = new QListWidget(Draw3D4_);
  ListBox2_->setObjectName(QStringLiteral("ListBox2"));
  ListBox2_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListBox2_->setGeometry(16, 103, 127, 45);
  // The slot list of the current frame, for display only.
  ListBox1_ = new QListWidget(Draw3D4_);
  ListBox1_->setObjectName(QStringLiteral("ListBox1"));
  ListBox1_->setSelectionMode(QAbstractItemView::SingleSelection);
  ListBox1_->setGeometry(152, 103, 193, 146);

  LabelNombre_ = Etiqueta(Draw3D4_, "LabelNombre", QStringLiteral("-"),
                          FuenteArial(16, {.subrayada = true}), QRect(9, 151, 120, 41), true);
  LabelPlanFec1_ = Etiqueta(Draw3D4_, "LabelPlanFec1", QStringLiteral("-"), FuenteArial(16),
                            QRect(9, 196, 120, 23), false);
  LabelPlanFec2_ = Etiqueta(Draw3D4_, "LabelPlanFec2", QStringLiteral("-"), FuenteArial(16),
                            QRect(9, 226, 120, 23), false);
  for (QLabel* etiqueta : {LabelNombre_, LabelPlanFec1_, LabelPlanFec2_}) {
    ColorTexto(etiqueta, kGranate);
  }

  // Holds the same lines as the frame list; its selected line is the current
  // frame. Never seen.
  ComboBoxPlantilla_ = new QComboBox(Draw3D4_);
  ComboBoxPlantilla_->setObjectName(QStringLiteral("ComboBoxPlantilla"));
  ComboBoxPlantilla_->setGeometry(150, 254, 81, 21);
  ComboBoxPlantilla_->hide();

  BitBtnContinuar_ =
      Boton(Draw3D4_, "BitBtnContinuar", QStringLiteral("Continuar"), QRect(255, 253, 89, 25));
  BitBtnContinuar_->setFont(FuenteDialogo(true));
  BitBtnContinuar_->setIcon(GlifoAceptar());
  BitBtnContinuar_->setDefault(true);

  setTabOrder(BitBtnContinuar_, ComboBoxPlantilla_);
  setTabOrder(ComboBoxPlantilla_, ListBox1_);
  setTabOrder(ListBox1_, ListBox2_);
  BitBtnContinuar_->setFocus();

  // A click, a Ctrl+click on a line already selected, and a keyboard move.
  connect(ListBox2_, &QListWidget::clicked, this, &TPlantillas::ListBox2Click);
  connect(ListBox2_, &QListWidget::currentRowChanged, this, &TPlantillas::ListBox2Click);
  connect(BitBtnContinuar_, &QPushButton::clicked, this, &TPlantillas::BitBtnContinuarClick);
}

TPlantillas::~TPlantillas() = default;

bool TPlantillas::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) {
    FormActivate();
  }
  return QDialog::event(event);
}

void TPlantillas::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Where the platform does not activate a new window, the dialog still
  // reads the document before the user sees it.
  FormActivate();
}

void TPlantillas::FormActivate() {
  if (cerrando_) {
    return;
  }
  try {
    modelo_.Cargar(archivoXML_);
  } catch (...) {
    // No selection could ever be valid: the dialog closes at once and the
    // caller ends the import with this error.
    errorCarga_ = std::current_exception();
    cerrando_ = true;
    // Not from within show(): the modal loop has not started yet.
    QTimer::singleShot(0, this, [this] { done(QDialog::Rejected); });
    return;
  }
  QStringList lineas;
  for (const std::string& codigo : modelo_.Lineas()) {
    lineas << Mostrable(codigo);
  }
  {
    // Refilling is no move of the user's.
    const QSignalBlocker bloqueo(ListBox2_);
    ListBox2_->clear();
    ListBox2_->addItems(lineas);
  }
  ComboBoxPlantilla_->clear();
  ComboBoxPlantilla_->addItems(lineas);
  ComboBoxPlantilla_->setCurrentIndex(0);
  ComboBoxPlantillaChange();
}

void TPlantillas::ComboBoxPlantillaChange() {
  const int indice = ComboBoxPlantilla_->currentIndex();
  const auto& lineas = modelo_.Lineas();
  const std::string actual =
      indice >= 0 && static_cast<size_t>(indice) < lineas.size() ? lineas[indice] : std::string();
  const core::VistaMarco vista = modelo_.Mostrar(actual);
  LabelNombre_->setText(Mostrable(vista.nombre));
  LabelPlanFec1_->setText(Mostrable(vista.fecha1));
  LabelPlanFec2_->setText(Mostrable(vista.fecha2));
  if (vista.tramos) {
    ListBox1_->clear();
    for (const std::string& tramo : *vista.tramos) {
      ListBox1_->addItem(Mostrable(tramo));
    }
  }
}

void TPlantillas::ListBox2Click() {
  // The line last clicked or moved to, whether it is now selected or not.
  const int fila = ListBox2_->currentRow();
  if (fila < 0 || fila >= ComboBoxPlantilla_->count()) {
    return;
  }
  ComboBoxPlantilla_->setCurrentIndex(fila);
  ComboBoxPlantillaChange();
}

void TPlantillas::BitBtnContinuarClick() {
  close();
}

void TPlantillas::FormClose() {
  std::vector<size_t> seleccionadas;
  for (int fila = 0; fila < ListBox2_->count(); ++fila) {
    if (ListBox2_->item(fila)->isSelected()) {
      seleccionadas.push_back(static_cast<size_t>(fila));
    }
  }
  const core::Validacion validacion = modelo_.Validar(std::move(seleccionadas));
  SeleccionValida = validacion.eleccion.SeleccionValida;
  MarcosSeleccionados = validacion.eleccion.MarcosSeleccionados;
  if (!validacion.mensaje.empty()) {
    // While the dialog is still on screen; it closes all the same.
    MostrarMensaje(this, validacion.mensaje);
  }
}

void TPlantillas::closeEvent(QCloseEvent* event) {
  // The button, the close box and Alt+F4 come here; done() then follows.
  if (!cerrando_) {
    cerrando_ = true;
    FormClose();
  }
  QDialog::closeEvent(event);
}

void TPlantillas::done(int resultado) {
  if (!cerrando_) {
    cerrando_ = true;
    FormClose();
  }
  QDialog::done(resultado);
}

void TPlantillas::reject() {
  if (cerrando_) {
    QDialog::reject();
  }
}

void TPlantillas::keyPressEvent(QKeyEvent* event) {
  // F1 anywhere in the dialog: its controls share the main window's topic.
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    ayuda_.AbrirTemaAyuda(kArchivoAyuda, kTemaVentanaPrincipal);
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TPlantillas::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Draw3D4_->setGeometry(rect());
}

}  // namespace trasvelo::ui
