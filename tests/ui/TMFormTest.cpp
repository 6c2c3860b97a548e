#include "ui/TMForm.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AyudaFalsa.h"
#include "GuionModal.h"
#include "core/EstadoPrograma.h"
#include "platform/Paths.h"
#include "support/TempDir.h"
#include "ui/Ayuda.h"
#include "ui/GradientPanel.h"

namespace trasvelo {
namespace {

namespace fs = std::filesystem;
using test::EsperarHasta;
using test::GuionModal;

class VentanaTest : public ::testing::Test {
 protected:
  ui::TMForm& Crear(std::vector<std::string> argumentos) {
    ventana_ = std::make_unique<ui::TMForm>(estado_, std::move(argumentos), ayuda_);
    QObject::connect(ventana_.get(), &ui::TMForm::Cerrada, [this] { ++cerradas_; });
    return *ventana_;
  }
  // Creates and shows the window without starting anything from the
  // command line.
  ui::TMForm& Mostrada() {
    ui::TMForm& ventana = Crear({});
    ventana.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&ventana));
    return ventana;
  }
  template <typename T>
  T* Hijo(const char* nombre) {
    T* hijo = ventana_->findChild<T*>(QString::fromLatin1(nombre));
    EXPECT_NE(hijo, nullptr) << nombre;
    return hijo;
  }
  fs::path Ini() const { return programa_.path() / "Velmora.ini"; }
  std::string Informe() const {
    return fs::exists(Ini()) ? test::ReadFile(Ini()) : "(sin informe)";
  }

  test::TempDir trabajo_;
  test::TempDir programa_;
  core::EstadoPrograma estado_{core::Directorios{trabajo_.path(), programa_.path()}};
  test::AyudaFalsa ayuda_;
  int cerradas_ = 0;
  std::unique_ptr<ui::TMForm> ventana_;
};

TEST_F(VentanaTest, CaptionSizeAndBorder) {
  ui::TMForm& ventana = Mostrada();
  EXPECT_EQ(ventana.windowTitle(), QString("Exportar e importar datos entre Velmora y Racima"));
  EXPECT_EQ(ventana.size(), QSize(632, 266));
  EXPECT_EQ(ventana.minimumSize(), QSize(632, 266));
  EXPECT_EQ(ventana.maximumSize(), QSize(632, 266));
  const Qt::WindowFlags flags = ventana.windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::FramelessWindowHint));
  // Top-level: centred on the screen.
  const QRect pantalla = ventana.screen()->availableGeometry();
  EXPECT_LE(std::abs(ventana.frameGeometry().center().x() - pantalla.center().x()), 1);
  EXPECT_LE(std::abs(ventana.frameGeometry().center().y() - pantalla.center().y()), 1);
}

TEST_F(VentanaTest, ControlsSitWhereTheLayoutPutsThem) {
  Mostrada();
  struct Control {
    const char* nombre;
    const char* padre;
    QRect caja;
    const char* texto;  // null: no text
  };
  const Control controles[] = {
      {"Draw3D2", "MForm", {1, 0, 315, 169}, nullptr},
      {"Label3", "Draw3D2", {24, 24, 265, 57}, "Transformar datos desde Racima hacia Velmora "},
      {"BExportar", "Draw3D2", {96, 120, 89, 25}, "OK"},
      {"Draw3D3", "MForm", {316, 0, 317, 169}, nullptr},
      {"Label4", "Draw3D3", {8, 24, 305, 57}, "Transformar datos desde Velmora hacia Racima"},
      {"BImportar", "Draw3D3", {96, 120, 89, 25}, "OK"},
      {"Draw3D1", "MForm", {0, 168, 633, 97}, nullptr},
      {"BClose", "Draw3D1", {256, 32, 89, 25}, "&Salir"},
      {"Button1", "Draw3D1", {263, 64, 75, 25}, "F1 Ayuda"},
  };
  for (const Control& c : controles) {
    SCOPED_TRACE(c.nombre);
    auto* w = Hijo<QWidget>(c.nombre);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget()->objectName(), QString(c.padre));
    EXPECT_EQ(w->geometry(), c.caja);
    EXPECT_TRUE(w->isVisible());
    if (auto* etiqueta = qobject_cast<QLabel*>(w)) {
      EXPECT_EQ(etiqueta->text(), QString(c.texto));
      EXPECT_TRUE(etiqueta->wordWrap());
    } else if (auto* boton = qobject_cast<QAbstractButton*>(w)) {
      EXPECT_EQ(boton->text(), QString(c.texto));
    }
  }
  // Label1 sizes itself to its text.
  auto* label1 = Hijo<QLabel>("Label1");
  ASSERT_NE(label1, nullptr);
  EXPECT_EQ(label1->parentWidget()->objectName(), QString("Draw3D1"));
  EXPECT_EQ(label1->text(), QString("Trasvelo para VM17 V-1.0"));
  EXPECT_EQ(label1->pos(), QPoint(8, 72));
  EXPECT_EQ(label1->size(), label1->sizeHint());
  EXPECT_EQ(label1->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));

  // The bitmap buttons carry their glyph; the help button is a plain one.
  for (const char* nombre : {"BExportar", "BImportar", "BClose"}) {
    EXPECT_FALSE(Hijo<QPushButton>(nombre)->icon().isNull()) << nombre;
  }
  EXPECT_TRUE(Hijo<QPushButton>("Button1")->icon().isNull());
}

TEST_F(VentanaTest, FontsAreTheDialogFontOrItsMetricTwin) {
  Mostrada();
  const QStringList dialogo{"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans"};
  const QStringList titulo{"Arial", "Liberation Sans"};
  struct Fuente {
    const char* control;
    int pixeles;
    bool negrita;
    const QStringList* familias;
  };
  const Fuente fuentes[] = {
      {"Label3", 16, true, &titulo},      {"Label4", 16, true, &titulo},
      {"Label1", 11, true, &dialogo},     {"BExportar", 11, false, &dialogo},
      {"BImportar", 11, false, &dialogo}, {"BClose", 11, false, &dialogo},
      {"Button1", 11, false, &dialogo},
  };
  for (const Fuente& f : fuentes) {
    SCOPED_TRACE(f.control);
    QFontInfo info(Hijo<QWidget>(f.control)->font());
    EXPECT_EQ(info.pixelSize(), f.pixeles);
    EXPECT_EQ(info.bold(), f.negrita);
    EXPECT_TRUE(f.familias->contains(info.family())) << info.family().toStdString();
  }
}

TEST_F(VentanaTest, PanelsPaintTheirGradientBehindTransparentLabels) {
  Mostrada();
  struct Panel {
    const char* nombre;
    QColor inicio, medio, fin;
  };
  const Panel paneles[] = {
      {"Draw3D1", QColor(0xC2, 0xCD, 0xFE), QColor(0xCF, 0xF2, 0xFE), QColor(0xCC, 0xD8, 0xE6)},
      {"Draw3D2", QColor(0xF9, 0xD3, 0x7D), QColor(0xFF, 0xFF, 0xFF), QColor(0xFF, 0xEE, 0xDD)},
      {"Draw3D3", QColor(0xF9, 0xD3, 0x7D), QColor(0xFF, 0xFF, 0xFF), QColor(0xFF, 0xEE, 0xDD)},
  };
  auto cerca = [](QColor a, QColor b) {
    return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 &&
           std::abs(a.blue() - b.blue()) <= 3;
  };
  for (const Panel& p : paneles) {
    SCOPED_TRACE(p.nombre);
    auto* panel = Hijo<QWidget>(p.nombre);
    const QImage imagen = panel->grab().toImage();
    const int x = 2;  // clear of every control
    const int alto = imagen.height();
    EXPECT_TRUE(cerca(imagen.pixelColor(x, 0), p.inicio))
        << imagen.pixelColor(x, 0).name().toStdString();
    EXPECT_TRUE(cerca(imagen.pixelColor(x, (alto - 1) / 2), p.medio));
    EXPECT_TRUE(cerca(imagen.pixelColor(x, alto - 1), p.fin));
  }
  // A label lets the gradient through where it has no text: its bottom-right
  // corner has the colour of the panel's edge at the same height.
  auto* label3 = Hijo<QLabel>("Label3");
  const QImage panel = Hijo<QWidget>("Draw3D2")->grab().toImage();
  const QPoint esquina = label3->geometry().bottomRight() - QPoint(1, 1);
  EXPECT_TRUE(cerca(panel.pixelColor(esquina), panel.pixelColor(2, esquina.y())));
}

TEST_F(VentanaTest, TabRunsThroughTheBottomPanelThenTheDirections) {
  ui::TMForm& ventana = Mostrada();
  ventana.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&ventana));
  const char* orden[] = {"BClose", "Button1", "BExportar", "BImportar", "BClose"};
  EXPECT_EQ(QApplication::focusWidget(), Hijo<QWidget>(orden[0]));
  for (size_t i = 1; i < std::size(orden); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Hijo<QWidget>(orden[i])) << "after " << orden[i - 1];
  }
}

TEST_F(VentanaTest, F1AsksForTopic3FromEveryPartAndTheButtonForTheContents) {
  Mostrada();
  const test::AyudaFalsa::Peticion tema{"RACIMA.chm", 3};
  const test::AyudaFalsa::Peticion indice{"RACIMA.chm", std::nullopt};
  for (const char* donde :
       {"BExportar", "BImportar", "BClose", "Button1", "Draw3D1", "Draw3D2", "Draw3D3", "Label3"}) {
    ayuda_.peticiones.clear();
    QTest::keyClick(Hijo<QWidget>(donde), Qt::Key_F1);
    EXPECT_EQ(ayuda_.peticiones, std::vector{tema}) << donde;
  }
  // The help button, then F1 again: still topic 3.
  ayuda_.peticiones.clear();
  QTest::mouseClick(Hijo<QPushButton>("Button1"), Qt::LeftButton);
  QTest::keyClick(ventana_.get(), Qt::Key_F1);
  EXPECT_EQ(ayuda_.peticiones, (std::vector{indice, tema}));
}

TEST_F(VentanaTest, EscapeDoesNotCloseTheWindow) {
  ui::TMForm& ventana = Mostrada();
  QTest::keyClick(&ventana, Qt::Key_Escape);
  QTest::keyClick(Hijo<QWidget>("BExportar"), Qt::Key_Escape);
  QTest::qWait(20);
  EXPECT_TRUE(ventana.isVisible());
  EXPECT_EQ(cerradas_, 0);
}

// What the command line starts: the dialogs seen, whether the window closed
// by itself, and the report once it is closed.
TEST_F(VentanaTest, CommandLineStarts) {
  struct Caso {
    const char* nombre;
    std::vector<std::string> argumentos;
    std::vector<QString> dialogos;  // window titles, in order; texts below
    std::vector<QString> textos;
    int modo;
    bool seCierraSola;
    const char* informe;  // after closing; null: no report at all
  };
  const QString archivo = "Archivo XML";
  const QString trasvelo = "Trasvelo";
  const Caso casos[] = {
      {"none", {}, {}, {}, 0, false, nullptr},
      {"one", {"exportar"}, {}, {}, 0, false, nullptr},
      {"three", {"exportar", "1A2B", "x"}, {}, {}, 0, false, nullptr},
      // No foreign windows here: hosted, but as a top-level window.
      {"hosted import, dialog cancelled",
       {"Exportar", "1a2b"},
       {archivo, trasvelo},
       {"", "No existe archivo"},
       2,
       true,
       "Transformado=-1"},
      {"hosted, unknown word", {"xyz", "1A2B"}, {}, {}, 2, false, "Transformado=0"},
      {"not hexadecimal",
       {"exportar", "zz"},
       {trasvelo, archivo, trasvelo},
       {"'zz' is not a valid integer value", "", "No existe archivo"},
       0,
       false,
       nullptr},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nombre);
    fs::remove(Ini());
    cerradas_ = 0;
    std::vector<GuionModal::Accion> acciones;
    for (size_t i = 0; i < caso.dialogos.size(); ++i) {
      acciones.push_back(caso.dialogos[i] == archivo ? GuionModal::Rechazar()
                                                     : GuionModal::Aceptar());
    }
    GuionModal guion(acciones);
    ui::TMForm& ventana = Crear(caso.argumentos);
    ventana.Iniciar();
    ASSERT_TRUE(EsperarHasta([&] { return guion.Terminado(); }));
    QTest::qWait(50);  // anything that would still follow
    ASSERT_EQ(guion.Vistos().size(), caso.dialogos.size());
    for (size_t i = 0; i < caso.dialogos.size(); ++i) {
      EXPECT_EQ(guion.Vistos()[i].titulo, caso.dialogos[i]) << i;
      EXPECT_EQ(guion.Vistos()[i].texto, caso.textos[i]) << i;
    }
    EXPECT_FALSE(ventana.Incrustada());
    EXPECT_EQ(estado_.modoEjecucion, caso.modo);
    EXPECT_EQ(ventana.isVisible(), !caso.seCierraSola);
    EXPECT_EQ(cerradas_, caso.seCierraSola ? 1 : 0);
    ventana.close();
    EXPECT_EQ(cerradas_, 1);
    if (caso.informe == nullptr) {
      EXPECT_FALSE(fs::exists(Ini()));
    } else {
      EXPECT_NE(Informe().find(caso.informe), std::string::npos) << Informe();
    }
    ventana_.reset();
    estado_.modoEjecucion = core::kModoInteractivo;
  }
}

TEST_F(VentanaTest, ConversionErrorUsesTheErrorBox) {
  GuionModal guion({GuionModal::Aceptar()});
  ui::TMForm& ventana = Crear({"xyz", "12G"});
  ventana.Iniciar();
  ASSERT_TRUE(EsperarHasta([&] { return guion.Terminado(); }));
  ASSERT_EQ(guion.Vistos().size(), 1u);
  EXPECT_EQ(guion.Vistos()[0].icono, QMessageBox::Critical);
  EXPECT_EQ(guion.Vistos()[0].texto, QString("'12G' is not a valid integer value"));
  EXPECT_TRUE(ventana.isVisible());
}

// Every way of closing reports once; a second close does nothing more.
TEST_F(VentanaTest, EveryWayOfClosingReportsOnce) {
  struct Manera {
    const char* nombre;
    std::function<void(ui::TMForm&)> cerrar;
  };
  const Manera maneras[] = {
      {"BClose",
       [this](ui::TMForm&) { QTest::mouseClick(Hijo<QPushButton>("BClose"), Qt::LeftButton); }},
      {"Alt+S", [](ui::TMForm& v) { QTest::keyClick(&v, Qt::Key_S, Qt::AltModifier); }},
      {"close box", [](ui::TMForm& v) { v.close(); }},
      {"a run", [](ui::TMForm& v) { v.CerrarVentana(); }},
  };
  for (const Manera& manera : maneras) {
    SCOPED_TRACE(manera.nombre);
    fs::remove(Ini());
    cerradas_ = 0;
    ui::TMForm& ventana = Crear({"xyz", "1A2B"});
    ventana.Iniciar();
    ventana.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&ventana));
    manera.cerrar(ventana);
    EXPECT_TRUE(EsperarHasta([&] { return cerradas_ == 1; }, 2000));
    EXPECT_FALSE(ventana.isVisible());
    EXPECT_NE(Informe().find("Transformado=0"), std::string::npos) << Informe();
    fs::remove(Ini());
    ventana.close();
    EXPECT_EQ(cerradas_, 1);
    EXPECT_FALSE(fs::exists(Ini()));
    ventana_.reset();
  }
}

TEST_F(VentanaTest, AReportThatCannotBeWrittenIsShownBeforeTheEnd) {
  // A folder where the settings file should be: it cannot be replaced.
  fs::create_directories(Ini() / "ocupado");
  GuionModal guion({GuionModal::Aceptar()});
  ui::TMForm& ventana = Crear({"xyz", "1A2B"});
  ventana.Iniciar();
  QTest::qWait(20);
  ventana.close();
  ASSERT_TRUE(EsperarHasta([&] { return guion.Terminado(); }));
  EXPECT_EQ(cerradas_, 1);
  ASSERT_EQ(guion.Vistos().size(), 1u);
  EXPECT_EQ(guion.Vistos()[0].icono, QMessageBox::Critical);
  EXPECT_EQ(guion.Vistos()[0].titulo, QString("Trasvelo"));
  EXPECT_TRUE(guion.Vistos()[0].texto.contains("Velmora.ini"))
      << guion.Vistos()[0].texto.toStdString();
  ventana.close();
  EXPECT_EQ(guion.Vistos().size(), 1u);
}

// The file dialog as the runs need it; a typed name of a file that does not
// exist is taken (with the default extension) and then reported missing.
TEST_F(VentanaTest, FileDialogTakesATypedNameWithTheDefaultExtension) {
  ui::TMForm& ventana = Mostrada();
  const fs::path carpeta = trabajo_.path();
  QString titulo, filtros, sufijo;
  bool cualquiera = false;
  GuionModal guion({[&](QWidget* w) {
                      auto* dialogo = qobject_cast<QFileDialog*>(w);
                      ASSERT_NE(dialogo, nullptr);
                      titulo = dialogo->windowTitle();
                      filtros = dialogo->nameFilters().join('|');
                      sufijo = dialogo->defaultSuffix();
                      cualquiera = dialogo->fileMode() == QFileDialog::AnyFile;
                      dialogo->setDirectory(QString::fromStdString(carpeta.string()));
                      auto* nombre = dialogo->findChild<QLineEdit*>("fileNameEdit");
                      ASSERT_NE(nombre, nullptr);
                      QTest::keyClicks(nombre, "nada");
                      QTest::keyClick(nombre, Qt::Key_Return);
                    },
                    GuionModal::Aceptar()});
  QTest::mouseClick(Hijo<QPushButton>("BExportar"), Qt::LeftButton);
  ASSERT_TRUE(EsperarHasta([&] { return guion.Terminado(); }));
  EXPECT_EQ(titulo, QString("Archivo XML"));
  EXPECT_EQ(filtros, QString("*.xml"));
  EXPECT_EQ(sufijo, QString("xml"));
  EXPECT_TRUE(cualquiera);
  ASSERT_EQ(guion.Vistos().size(), 2u);
  EXPECT_EQ(guion.Vistos()[1].texto, QString("No existe archivo"));
  EXPECT_EQ(estado_.ArchivoXML, carpeta / "nada.xml");
  EXPECT_TRUE(ventana.isVisible());
}

// The smallest document that completes an import: one time frame and its
// slots, nothing else.
constexpr const char* kDocumentoMinimo = R"(<?xml version="1.0" encoding="UTF-8"?>
<SERVICIO><BLOQUE_DATOS>
<grupo_datos seq="JORNADAS_ESCOLARES"><grupo_datos>
<dato nombre_dato="X_JORNADA">M1</dato><dato nombre_dato="D_JORNADA">Mañana</dato>
<dato nombre_dato="F_INICIO">01/09/2026</dato><dato nombre_dato="F_FIN">30/06/2027</dato>
</grupo_datos></grupo_datos>
<grupo_datos seq="TRAMOS_HORARIOS">
<grupo_datos><dato nombre_dato="X_TRAMO">T1</dato><dato nombre_dato="D_TRAMO">1ª</dato>
<dato nombre_dato="N_INICIO">480</dato><dato nombre_dato="N_FIN">535</dato>
<dato nombre_dato="X_JORNADA">M1</dato></grupo_datos>
<grupo_datos><dato nombre_dato="X_TRAMO">T2</dato><dato nombre_dato="D_TRAMO">2ª</dato>
<dato nombre_dato="N_INICIO">540</dato><dato nombre_dato="N_FIN">595</dato>
<dato nombre_dato="X_JORNADA">M1</dato></grupo_datos>
</grupo_datos>
</BLOQUE_DATOS></SERVICIO>
)";

// A completed import disables both directions and restores the cursor; the
// close and help buttons stay usable; hosted, the window closes and reports 1.
TEST_F(VentanaTest, ACompletedImportDisablesTheDirections) {
  const fs::path niveles = platform::ProgramDirectory() / "NIVELLARI.dbf";
  ASSERT_TRUE(fs::exists(niveles)) << "the build puts the level table beside the tests";
  fs::copy_file(niveles, programa_.path() / "NIVELLARI.dbf");
  test::TempDir documentos;
  test::WriteFile(documentos / "centro.xml", kDocumentoMinimo);

  struct Caso {
    const char* nombre;
    std::vector<std::string> argumentos;
    bool hospedado;
  };
  for (const Caso& caso :
       {Caso{"interactive", {}, false}, Caso{"hosted", {"exportar", "1A2B"}, true}}) {
    SCOPED_TRACE(caso.nombre);
    fs::remove(Ini());
    cerradas_ = 0;
    estado_.modoEjecucion = core::kModoInteractivo;
    GuionModal guion(
        {GuionModal::ElegirArchivo(documentos.path(), "centro.xml"), GuionModal::Aceptar()});
    ui::TMForm& ventana = Crear(caso.argumentos);
    for (const char* nombre : {"BExportar", "BImportar", "BClose", "Button1"}) {
      EXPECT_TRUE(Hijo<QWidget>(nombre)->isEnabled()) << nombre;
    }
    ventana.Iniciar();
    if (!caso.hospedado) {
      QTest::mouseClick(Hijo<QPushButton>("BExportar"), Qt::LeftButton);
    }
    ASSERT_TRUE(EsperarHasta([&] { return guion.Terminado(); }));
    QTest::qWait(20);
    ASSERT_EQ(guion.Vistos().size(), 2u);
    EXPECT_EQ(guion.Vistos()[1].texto, QString("Proceso finalizado"));
    EXPECT_TRUE(fs::exists(trabajo_ / "DIASHORAST.DBF"));
    EXPECT_EQ(estado_.resultado, 1);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(Hijo<QWidget>("BExportar")->isEnabled());
    EXPECT_FALSE(Hijo<QWidget>("BImportar")->isEnabled());
    EXPECT_TRUE(Hijo<QWidget>("BClose")->isEnabled());
    EXPECT_TRUE(Hijo<QWidget>("Button1")->isEnabled());
    EXPECT_EQ(ventana.isVisible(), !caso.hospedado);
    if (caso.hospedado) {
      EXPECT_EQ(cerradas_, 1);
      EXPECT_NE(Informe().find("Transformado=1"), std::string::npos) << Informe();
    } else {
      EXPECT_FALSE(fs::exists(Ini()));
    }
    ventana_.reset();
  }
}

}  // namespace
}  // namespace trasvelo
