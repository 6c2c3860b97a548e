// The time-frame chooser on its own, and inside an import run of the main
// window.
#include "ui/TPlantillas.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AyudaFalsa.h"
#include "GuionModal.h"
#include "core/EstadoPrograma.h"
#include "platform/Paths.h"
#include "platform/Table.h"
#include "support/DocumentoPrueba.h"
#include "support/TempDir.h"
#include "ui/GradientPanel.h"
#include "ui/TMForm.h"

namespace trasvelo {
namespace {

namespace fs = std::filesystem;
using test::EsperarHasta;
using test::GuionModal;

const QString kNinguno = "Debe al menos seleccionar 1 Marco Horario.";
const QString kDemasiados =
    "Demasiados Marcos Horarios seleccionados.\n"
    "Como máximo puede seleccionar 2 Marcos Horarios";

// Three frames, the third with a code longer than ten characters and no
// slots; the second listed starts earlier.
std::string DocumentoTresMarcos() {
  return test::DocumentoXml({
      {"JORNADAS_ESCOLARES",
       {{"JM", "Mañana", "15/09/2026", "23/06/2027"},
        {"JT", "Tarde", "16/09/2026", "22/06/2027"},
        {"NOCTURNO_LARGO", "Nocturno", "01/10/2026", "31/05/2027"}}},
      {"TRAMOS_HORARIOS",
       {{"1", "1ª hora", "480", "535", "JM"},
        {"2", "2ª hora", "535", "590", "JM"},
        {"3", "1ª tarde", "420", "475", "JT"}}},
  });
}

// What the labels and the slot list show.
struct Vista {
  QString nombre, fecha1, fecha2;
  QStringList tramos;
  bool operator==(const Vista&) const = default;
};

class PlantillasTest : public ::testing::Test {
 protected:
  PlantillasTest() { test::WriteFile(archivo_, DocumentoTresMarcos()); }

  // A chooser shown as the import run shows it, but not modally, so that
  // the test can act on it.
  ui::TPlantillas& Abrir() {
    dialogo_ = std::make_unique<ui::TPlantillas>(archivo_, ayuda_);
    dialogo_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialogo_.get()));
    dialogo_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialogo_.get()));
    return *dialogo_;
  }
  template <typename T>
  T* Hijo(const char* nombre) {
    T* hijo = dialogo_->findChild<T*>(QString::fromLatin1(nombre));
    EXPECT_NE(hijo, nullptr) << nombre;
    return hijo;
  }
  QListWidget* Marcos() { return Hijo<QListWidget>("ListBox2"); }

  // A click on line `fila` of the frame list, as the mouse gives it.
  void Clic(int fila, Qt::KeyboardModifiers teclas = Qt::NoModifier) {
    ClicEn(Marcos(), fila, teclas);
  }
  static void ClicEn(QListWidget* lista, int fila, Qt::KeyboardModifiers teclas) {
    QListWidgetItem* linea = lista->item(fila);
    ASSERT_NE(linea, nullptr);
    lista->scrollToItem(linea);
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, teclas,
                      lista->visualItemRect(linea).center());
  }
  Vista Mostrado() {
    Vista v{Hijo<QLabel>("LabelNombre")->text(),
            Hijo<QLabel>("LabelPlanFec1")->text(),
            Hijo<QLabel>("LabelPlanFec2")->text(),
            {}};
    auto* tramos = Hijo<QListWidget>("ListBox1");
    for (int i = 0; i < tramos->count(); ++i) {
      v.tramos << tramos->item(i)->text();
    }
    return v;
  }
  QStringList Seleccionados() {
    QStringList lineas;
    for (int i = 0; i < Marcos()->count(); ++i) {
      if (Marcos()->item(i)->isSelected()) {
        lineas << Marcos()->item(i)->text();
      }
    }
    return lineas;
  }

  test::TempDir dir_;
  fs::path archivo_ = dir_ / "centro.xml";
  test::AyudaFalsa ayuda_;
  std::unique_ptr<ui::TPlantillas> dialogo_;
};

const Vista kManana{"Mañana", "15/09/2026", "23/06/2027", {"1ª hora", "2ª hora"}};
const Vista kTarde{"Tarde", "16/09/2026", "22/06/2027", {"1ª tarde"}};
const Vista kNocturno{"Nocturno", "01/10/2026", "31/05/2027", {}};

TEST_F(PlantillasTest, CaptionBorderAndPlace) {
  ui::TPlantillas& dialogo = Abrir();
  EXPECT_EQ(dialogo.windowTitle(), QString("Planillas, Marcos o Jornadas Horarias"));
  EXPECT_EQ(dialogo.pos(), QPoint(424, 285));
  EXPECT_EQ(dialogo.size(), QSize(369, 281));
  // Sizeable, with the close box alone in the title bar.
  EXPECT_NE(dialogo.minimumSize(), dialogo.maximumSize());
  const Qt::WindowFlags flags = dialogo.windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
  // The gradient panel fills the dialog, also when it grows.
  auto* panel = Hijo<ui::GradientPanel>("Draw3D4");
  EXPECT_EQ(panel->geometry(), QRect(0, 0, 369, 281));
  EXPECT_EQ(panel->ColorInicio(), QColor(0xA6, 0xCA, 0xF0));
  EXPECT_EQ(panel->ColorMedio(), QColor(Qt::white));
  dialogo.resize(500, 400);
  EXPECT_EQ(panel->geometry(), QRect(0, 0, 500, 400));
  const QImage imagen = panel->grab().toImage();
  EXPECT_EQ(imagen.pixelColor(2, 0), QColor(0xA6, 0xCA, 0xF0));
}

TEST_F(PlantillasTest, ControlsTextsAndFonts) {
  Abrir();
  struct Control {
    const char* nombre;
    QRect caja;
    const char* texto;  // null: no text
    int pixeles;
    bool negrita, cursiva, subrayada;
    QColor color;
  };
  const QColor granate(0x80, 0, 0);
  const QColor negro(Qt::black);
  const Control controles[] = {
      {"LabelPlantillas",
       {16, 2, 321, 33},
       "Seleccione 1, o los 2 Marcos Horarios que quiere aplicar a su Horario en Velmora.",
       13,
       true,
       false,
       false,
       negro},
      {"LabelSelec",
       {16, 36, 321, 50},
       "Para seleccionar mas de un Marco Horario, mantenga (Ctrl) pulsado y seleccione cada "
       "marco con 1 click del botón izquierdo del ratón.",
       13,
       true,
       true,
       false,
       QColor(0xFF, 0, 0)},
      {"LabelMarcos", {40, 86, 74, 16}, "MARCOS", 16, true, false, false, granate},
      {"Label1", {215, 86, 67, 18}, "HORAS", 16, true, false, false, granate},
      {"LabelNombre", {9, 151, 120, 41}, "Mañana", 16, true, false, true, granate},
      {"LabelPlanFec1", {9, 196, 120, 23}, "15/09/2026", 16, true, false, false, granate},
      {"LabelPlanFec2", {9, 226, 120, 23}, "23/06/2027", 16, true, false, false, granate},
      {"ListBox2", {16, 103, 127, 45}, nullptr, 11, false, false, false, negro},
      {"ListBox1", {152, 103, 193, 146}, nullptr, 11, false, false, false, negro},
      {"BitBtnContinuar", {255, 253, 89, 25}, "Continuar", 11, true, false, false, negro},
  };
  for (const Control& c : controles) {
    SCOPED_TRACE(c.nombre);
    auto* w = Hijo<QWidget>(c.nombre);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget()->objectName(), QString("Draw3D4"));
    EXPECT_EQ(w->geometry(), c.caja);
    EXPECT_TRUE(w->isVisible());
    const QFontInfo fuente(w->font());
    EXPECT_EQ(fuente.pixelSize(), c.pixeles);
    EXPECT_EQ(fuente.bold(), c.negrita);
    EXPECT_EQ(fuente.italic(), c.cursiva);
    EXPECT_EQ(fuente.underline(), c.subrayada);
    if (auto* etiqueta = qobject_cast<QLabel*>(w)) {
      EXPECT_EQ(etiqueta->text(), QString(c.texto));
      EXPECT_EQ(etiqueta->palette().color(QPalette::WindowText), c.color);
    } else if (auto* boton = qobject_cast<QAbstractButton*>(w)) {
      EXPECT_EQ(boton->text(), QString(c.texto));
    }
  }
  for (const char* ajustada : {"LabelPlantillas", "LabelSelec", "LabelNombre"}) {
    EXPECT_TRUE(Hijo<QLabel>(ajustada)->wordWrap()) << ajustada;
  }
  EXPECT_EQ(Marcos()->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(Hijo<QListWidget>("ListBox1")->selectionMode(), QAbstractItemView::SingleSelection);
  // The combo box holds the frames and the current one, unseen.
  auto* combo = Hijo<QComboBox>("ComboBoxPlantilla");
  EXPECT_FALSE(combo->isVisible());
  EXPECT_EQ(combo->geometry(), QRect(150, 254, 81, 21));
  ASSERT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->itemText(2), QString("NOCTURNO_LARGO"));
  EXPECT_EQ(combo->currentIndex(), 0);
  auto* boton = Hijo<QPushButton>("BitBtnContinuar");
  EXPECT_TRUE(boton->isDefault());
  EXPECT_FALSE(boton->icon().isNull());
}

TEST_F(PlantillasTest, TheButtonHasTheFocusAndTabRunsToTheLists) {
  Abrir();
  const char* orden[] = {"BitBtnContinuar", "ListBox1", "ListBox2", "BitBtnContinuar"};
  EXPECT_EQ(QApplication::focusWidget(), Hijo<QWidget>(orden[0]));
  for (size_t i = 1; i < std::size(orden); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Hijo<QWidget>(orden[i])) << "after " << orden[i - 1];
  }
}

// The frame pointed at is on show, selected or not; a frame without slots
// shows an empty slot list.
TEST_F(PlantillasTest, ShowsTheFrameLastPointedAt) {
  Abrir();
  EXPECT_EQ(Mostrado(), kManana);
  EXPECT_TRUE(Seleccionados().isEmpty());
  Clic(1);
  EXPECT_EQ(Mostrado(), kTarde);
  Clic(2, Qt::ControlModifier);
  EXPECT_EQ(Mostrado(), kNocturno);
  EXPECT_EQ(Seleccionados(), (QStringList{"JT", "NOCTURNO_LARGO"}));
  // Ctrl+click on a selected frame deselects it and still shows it.
  Clic(1, Qt::ControlModifier);
  EXPECT_EQ(Seleccionados(), QStringList{"NOCTURNO_LARGO"});
  EXPECT_EQ(Mostrado(), kTarde);
  // A keyboard move shows the line moved to.
  Marcos()->setFocus();
  QTest::keyClick(Marcos(), Qt::Key_Up);
  EXPECT_EQ(Mostrado(), kManana);
  EXPECT_EQ(Hijo<QComboBox>("ComboBoxPlantilla")->currentIndex(), 0);
  // Shift+click selects the range.
  Clic(2, Qt::ShiftModifier);
  EXPECT_EQ(Seleccionados(), (QStringList{"JM", "JT", "NOCTURNO_LARGO"}));
}

TEST_F(PlantillasTest, TwoFramesWithOneCodeShowTheLaterRecord) {
  test::WriteFile(archivo_, test::DocumentoXml({
                                {"JORNADAS_ESCOLARES",
                                 {{"JM", "Mañana", "15/09/2026", "23/06/2027"},
                                  {"JM", "Mañana bis", "01/01/2027", "30/06/2027"}}},
                                {"TRAMOS_HORARIOS",
                                 {{"1", "1ª hora", "480", "535", "JM"},
                                  {"2", "otra", "480", "535", "JT"},
                                  {"3", "2ª hora", "535", "590", "JM"}}},
                            }));
  Abrir();
  const Vista esperada{"Mañana bis", "01/01/2027", "30/06/2027", {"1ª hora", "2ª hora"}};
  EXPECT_EQ(Mostrado(), esperada);
  Clic(1);
  EXPECT_EQ(Mostrado(), esperada);
}

// Every way of closing judges the selection; an invalid one shows its
// message while the dialog is still on screen, and the dialog closes anyway.
TEST_F(PlantillasTest, ClosingJudgesTheSelection) {
  using Accion = std::function<void()>;
  const Accion boton = [this] {
    QTest::mouseClick(Hijo<QPushButton>("BitBtnContinuar"), Qt::LeftButton);
  };
  const Accion intro = [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); };
  const Accion cajaCerrar = [this] { dialogo_->close(); };
  struct Caso {
    const char* nombre;
    std::vector<std::pair<int, Qt::KeyboardModifiers>> clics;
    Accion cerrar;
    bool valida;
    QString mensaje;  // empty: none
    std::string marcos;
  };
  const Qt::KeyboardModifiers nada = Qt::NoModifier;
  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
  const Caso casos[] = {
      {"Enter at once", {}, intro, false, kNinguno, ""},
      {"one frame, the button", {{1, nada}}, boton, true, "", "JT        "},
      {"one frame, the close box", {{0, nada}}, cajaCerrar, true, "", "JM        "},
      // List order, not the order of selection; long codes cut to ten.
      {"second then first", {{1, nada}, {0, ctrl}}, boton, true, "", "JM        JT        "},
      {"a long code", {{2, nada}, {0, ctrl}}, boton, true, "", "JM        NOCTURNO_L"},
      {"three frames",
       {{0, nada}, {1, ctrl}, {2, ctrl}},
       boton,
       false,
       kDemasiados,
       "JM        JT        NOCTURNO_L"},
      {"selected, then deselected", {{1, nada}, {1, ctrl}}, cajaCerrar, false, kNinguno, ""},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nombre);
    ui::TPlantillas& dialogo = Abrir();
    for (const auto& [fila, teclas] : caso.clics) {
      Clic(fila, teclas);
    }
    bool enPantalla = false;
    GuionModal guion(caso.mensaje.isEmpty() ? std::vector<GuionModal::Accion>{}
                                            : std::vector<GuionModal::Accion>{[&](QWidget* caja) {
                                                enPantalla = dialogo.isVisible();
                                                GuionModal::Aceptar()(caja);
                                              }});
    caso.cerrar();
    ASSERT_TRUE(EsperarHasta([&] { return guion.Terminado() && !dialogo.isVisible(); }));
    if (caso.mensaje.isEmpty()) {
      EXPECT_TRUE(guion.Vistos().empty());
    } else {
      ASSERT_EQ(guion.Vistos().size(), 1u);
      EXPECT_EQ(guion.Vistos()[0].texto, caso.mensaje);
      EXPECT_TRUE(enPantalla);
    }
    EXPECT_EQ(dialogo.SeleccionValida, caso.valida);
    EXPECT_EQ(dialogo.MarcosSeleccionados, caso.marcos);
    EXPECT_EQ(dialogo.ErrorCarga(), nullptr);
  }
}

TEST_F(PlantillasTest, EscapeDoesNotCloseIt) {
  ui::TPlantillas& dialogo = Abrir();
  QTest::keyClick(&dialogo, Qt::Key_Escape);
  QTest::keyClick(Marcos(), Qt::Key_Escape);
  QTest::qWait(20);
  EXPECT_TRUE(dialogo.isVisible());
}

TEST_F(PlantillasTest, F1AsksForTopic3FromEveryControl) {
  Abrir();
  for (const char* donde : {"BitBtnContinuar", "ListBox1", "ListBox2", "Draw3D4", "LabelSelec"}) {
    ayuda_.peticiones.clear();
    QTest::keyClick(Hijo<QWidget>(donde), Qt::Key_F1);
    EXPECT_EQ(ayuda_.peticiones, (std::vector<test::AyudaFalsa::Peticion>{{"RACIMA.chm", 3}}))
        << donde;
  }
}

// The import run of the main window with a document of three frames: a new
// chooser after every invalid choice, with nothing selected and the first
// frame on show; the tables follow the valid choice.
class ImportacionConMarcosTest : public PlantillasTest {
 protected:
  ImportacionConMarcosTest() {
    const fs::path niveles = platform::ProgramDirectory() / "NIVELLARI.dbf";
    EXPECT_TRUE(fs::exists(niveles)) << "the build puts the level table beside the tests";
    fs::copy_file(niveles, programa_ / "NIVELLARI.dbf");
  }
  ui::TMForm& Ventana() {
    ventana_ = std::make_unique<ui::TMForm>(estado_, std::vector<std::string>{}, ayuda_);
    ventana_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(ventana_.get()));
    return *ventana_;
  }
  QPushButton* Boton(const char* nombre) {
    auto* boton = ventana_->findChild<QPushButton*>(QString::fromLatin1(nombre));
    EXPECT_NE(boton, nullptr) << nombre;
    return boton;
  }
  int Filas(const char* tabla) {
    platform::Table t(trabajo_.path(), tabla);
    t.Open(platform::OpenMode::Shared);
    return t.RecordCount();
  }
  // An action for a chooser: checks it is fresh, then plays `jugar` on it.
  GuionModal::Accion Chooser(std::function<void(ui::TPlantillas&)> jugar) {
    return [this, jugar](QWidget* w) {
      auto* dialogo = qobject_cast<ui::TPlantillas*>(w);
      ASSERT_NE(dialogo, nullptr);
      EXPECT_EQ(dialogo->parentWidget(), ventana_.get());
      // The run's hour-glass gives way to the arrow while the user chooses.
      ASSERT_NE(QApplication::overrideCursor(), nullptr);
      EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
      auto* marcos = dialogo->findChild<QListWidget*>("ListBox2");
      ASSERT_NE(marcos, nullptr);
      EXPECT_TRUE(marcos->selectedItems().isEmpty());
      EXPECT_EQ(dialogo->findChild<QLabel*>("LabelNombre")->text(), QString("Mañana"));
      jugar(*dialogo);
    };
  }
  static void Elegir(ui::TPlantillas& dialogo, std::vector<int> filas) {
    auto* marcos = dialogo.findChild<QListWidget*>("ListBox2");
    for (size_t i = 0; i < filas.size(); ++i) {
      ClicEn(marcos, filas[i], i == 0 ? Qt::NoModifier : Qt::ControlModifier);
    }
    QTest::mouseClick(dialogo.findChild<QPushButton*>("BitBtnContinuar"), Qt::LeftButton);
  }

  test::TempDir trabajo_;
  test::TempDir programa_;
  core::EstadoPrograma estado_{core::Directorios{trabajo_.path(), programa_.path()}};
  std::unique_ptr<ui::TMForm> ventana_;
};

TEST_F(ImportacionConMarcosTest, ANewChooserAfterEveryInvalidChoice) {
  Ventana();
  GuionModal guion({
      GuionModal::ElegirArchivo(dir_.path(), "centro.xml"),
      Chooser([](ui::TPlantillas& d) {
        auto* boton = d.findChild<QPushButton*>("BitBtnContinuar");
        EXPECT_TRUE(boton->hasFocus());
        QTest::keyClick(boton, Qt::Key_Return);
      }),
      GuionModal::Aceptar(),
      Chooser([](ui::TPlantillas& d) {
        Elegir(d, {0, 1, 2});
      }),
      GuionModal::Aceptar(),
      Chooser([](ui::TPlantillas& d) {
        Elegir(d, {2, 1});
      }),
      GuionModal::Aceptar(),
  });
  QTest::mouseClick(Boton("BExportar"), Qt::LeftButton);
  ASSERT_TRUE(EsperarHasta([&] { return guion.Terminado(); }));
  const auto& vistos = guion.Vistos();
  ASSERT_EQ(vistos.size(), 7u);
  EXPECT_EQ(vistos[2].texto, kNinguno);
  EXPECT_EQ(vistos[4].texto, kDemasiados);
  EXPECT_EQ(vistos[6].texto, QString("Proceso finalizado"));
  EXPECT_EQ(vistos[3].clase, QString("trasvelo::ui::TPlantillas"));
  EXPECT_EQ(estado_.resultado, 1);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  // JT and NOCTURNO_LARGO: a slot a day of the one, none of the other; the
  // long code names no PERIODOS row.
  EXPECT_EQ(Filas("DIASHORAST.DBF"), 7);
  EXPECT_EQ(Filas("PERIODOS.DBF"), 1);
}

// The document changes under the chooser: its next activation finds no
// frames to choose; the run ends with an error naming the file.
TEST_F(ImportacionConMarcosTest, AChooserThatCannotOfferAChoiceEndsTheRun) {
  Ventana();
  GuionModal guion({
      GuionModal::ElegirArchivo(dir_.path(), "centro.xml"),
      Chooser([this](ui::TPlantillas& d) {
        test::WriteFile(archivo_, test::DocumentoXml({{"JORNADAS_ESCOLARES", {{"JM", "M"}}}}));
        QEvent activacion(QEvent::WindowActivate);
        QApplication::sendEvent(&d, &activacion);
      }),
      GuionModal::Aceptar(),
  });
  QTest::mouseClick(Boton("BExportar"), Qt::LeftButton);
  ASSERT_TRUE(EsperarHasta([&] { return guion.Terminado(); }));
  ASSERT_EQ(guion.Vistos().size(), 3u);
  EXPECT_EQ(guion.Vistos()[2].icono, QMessageBox::Critical);
  EXPECT_TRUE(guion.Vistos()[2].texto.contains(QString::fromStdString(archivo_.string())))
      << guion.Vistos()[2].texto.toStdString();
  EXPECT_EQ(estado_.resultado, 0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(Boton("BExportar")->isEnabled());
  EXPECT_TRUE(Boton("BImportar")->isEnabled());
}

}  // namespace
}  // namespace trasvelo
