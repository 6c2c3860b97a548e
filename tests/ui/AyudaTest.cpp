// The help of the windows through the program's own viewer over the help
// file that the build compiles.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "GuionModal.h"
#include "core/EstadoPrograma.h"
#include "platform/Chm.h"
#include "support/TempDir.h"
#include "ui/Ayuda.h"
#include "ui/TMForm.h"
#include "ui/VisorAyuda.h"

namespace trasvelo {
namespace {

namespace fs = std::filesystem;
using test::EsperarHasta;
using test::GuionModal;
using ::testing::HasSubstr;

const fs::path kAyuda = TRASVELO_CHM;

class AyudaTest : public ::testing::Test {
 protected:
  // The main window over a help service that looks in `programa`.
  ui::TMForm& Ventana(const fs::path& programa) {
    ayuda_ = std::make_unique<ui::AyudaChm>(programa);
    ventana_ = std::make_unique<ui::TMForm>(estado_, std::vector<std::string>{}, *ayuda_);
    ventana_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(ventana_.get()));
    return *ventana_;
  }
  QPushButton* BotonAyuda() {
    auto* boton = ventana_->findChild<QPushButton*>(QStringLiteral("Button1"));
    EXPECT_NE(boton, nullptr);
    return boton;
  }
  ui::VisorAyuda* Visor() const { return ayuda_->Visor(); }
  void Ir(const char* pagina) {
    ASSERT_NE(Visor(), nullptr);
    Visor()->MostrarTema(pagina);
    ASSERT_EQ(Visor()->PaginaActual(), pagina);
  }

  void TearDown() override {
    ventana_.reset();
    ayuda_.reset();
  }

  test::TempDir trabajo_;
  test::TempDir programa_;
  core::EstadoPrograma estado_{core::Directorios{trabajo_.path(), programa_.path()}};
  std::unique_ptr<ui::AyudaChm> ayuda_;
  std::unique_ptr<ui::TMForm> ventana_;
};

TEST_F(AyudaTest, HelpButtonOpensTheContents) {
  Ventana(kAyuda.parent_path());
  QPushButton* boton = BotonAyuda();
  ASSERT_NE(boton, nullptr);
  QTest::mouseClick(boton, Qt::LeftButton);
  ui::VisorAyuda* visor = Visor();
  ASSERT_NE(visor, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(visor));
  EXPECT_TRUE(visor->isWindow());
  EXPECT_EQ(visor->windowTitle(), QString("Ayuda de Trasvelo"));
  QTreeWidget* contenido = visor->Contenido();
  EXPECT_TRUE(contenido->isVisible());
  ASSERT_EQ(contenido->topLevelItemCount(), 5);
  EXPECT_EQ(contenido->topLevelItem(0)->text(0), QString("Trasvelo: la ventana principal"));
  EXPECT_EQ(contenido->topLevelItem(0)->child(0)->text(0), QString::fromUtf8("Racima → Velmora"));
  // The default topic on show, marked in the contents.
  EXPECT_EQ(visor->PaginaActual(), "/ventana_principal.htm");
  EXPECT_EQ(contenido->currentItem(), contenido->topLevelItem(0));
  EXPECT_THAT(visor->Pagina()->toPlainText().toStdString(), HasSubstr("Racima"));
}

TEST_F(AyudaTest, F1OpensTopic3BeforeAndAfterTheHelpButton) {
  ui::TMForm& ventana = Ventana(kAyuda.parent_path());
  // F1 on a button goes up to the window, as on every control.
  QPushButton* boton = BotonAyuda();
  ASSERT_NE(boton, nullptr);
  QTest::keyClick(boton, Qt::Key_F1);
  ui::VisorAyuda* visor = Visor();
  ASSERT_NE(visor, nullptr);
  EXPECT_TRUE(visor->isVisible());
  EXPECT_EQ(visor->PaginaActual(), "/ventana_principal.htm");

  Ir("/mensajes.htm");
  QTest::mouseClick(boton, Qt::LeftButton);
  EXPECT_EQ(visor->PaginaActual(), "/ventana_principal.htm");

  Ir("/mensajes.htm");
  QTest::keyClick(&ventana, Qt::Key_F1);
  EXPECT_EQ(visor->PaginaActual(), "/ventana_principal.htm");
  // One viewer window serves them all.
  EXPECT_EQ(Visor(), visor);
  EXPECT_EQ(QApplication::topLevelWidgets().count(visor), 1);
}

// Every page of the contents shows with its stylesheet and image, and a
// relative link followed from the keyboard opens its page.
TEST_F(AyudaTest, PagesLinksStylesheetAndImageComeFromTheFile) {
  Ventana(kAyuda.parent_path());
  QTest::mouseClick(BotonAyuda(), Qt::LeftButton);
  ui::VisorAyuda* visor = Visor();
  ASSERT_NE(visor, nullptr);
  QTreeWidget* contenido = visor->Contenido();
  int paginas = 0;
  for (QTreeWidgetItemIterator it(contenido); *it; ++it) {
    contenido->setCurrentItem(*it);
    EXPECT_EQ(QString::fromStdString(visor->PaginaActual()),
              (*it)->data(0, Qt::UserRole).toString());
    ++paginas;
  }
  EXPECT_EQ(paginas, 9);
  EXPECT_TRUE(visor->Pagina()->Fallidos().isEmpty())
      << visor->Pagina()->Fallidos().join(' ').toStdString();
  EXPECT_TRUE(visor->Pagina()->Cargados().contains("chm:/estilo.css"));
  EXPECT_TRUE(visor->Pagina()->Cargados().contains("chm:/imagenes/trasvelo.png"));

  // The first link of the main page leads to the working tables.
  visor->MostrarTema("/ventana_principal.htm");
  visor->Pagina()->setFocus();
  QTest::keyClick(visor->Pagina(), Qt::Key_Tab);
  ASSERT_TRUE(visor->Pagina()->textCursor().hasSelection());
  QTest::keyClick(visor->Pagina(), Qt::Key_Return);
  EXPECT_EQ(visor->PaginaActual(), "/tablas_trabajo.htm");
  EXPECT_EQ(contenido->currentItem()->text(0), QString("Las tablas de trabajo"));
}

TEST_F(AyudaTest, MissingOrDamagedHelpFileIsNamedAndTheProgramGoesOn) {
  ui::TMForm& ventana = Ventana(programa_.path());
  const fs::path archivo = programa_ / "RACIMA.chm";
  struct Caso {
    const char* nombre;
    std::optional<std::string> bytes;  // none: no file
    const char* dice;
  };
  const std::string bueno = test::ReadFile(kAyuda);
  const Caso casos[] = {
      {"sin archivo", std::nullopt, "No se encuentra el archivo de ayuda"},
      {"truncado", bueno.substr(0, bueno.size() / 3), "está dañado"},
      {"otro archivo", std::string("no es ayuda"), "está dañado"},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nombre);
    if (c.bytes)
      test::WriteFile(archivo, *c.bytes);
    else
      fs::remove(archivo);
    GuionModal guion({GuionModal::Aceptar(), GuionModal::Aceptar()});
    QTest::mouseClick(BotonAyuda(), Qt::LeftButton);
    QTest::keyClick(&ventana, Qt::Key_F1);
    ASSERT_TRUE(EsperarHasta([&] { return guion.Terminado(); }));
    ASSERT_EQ(guion.Vistos().size(), 2u);
    for (const GuionModal::Visto& visto : guion.Vistos()) {
      EXPECT_EQ(visto.clase, QString("QMessageBox"));
      EXPECT_THAT(visto.texto.toStdString(), HasSubstr(archivo.string()));
      EXPECT_THAT(visto.texto.toStdString(), HasSubstr(c.dice));
    }
    EXPECT_TRUE(Visor() == nullptr || !Visor()->isVisible());
    EXPECT_TRUE(ventana.isVisible());
  }
  // Once the file is there, help works in the same run.
  fs::copy_file(kAyuda, archivo, fs::copy_options::overwrite_existing);
  QTest::keyClick(&ventana, Qt::Key_F1);
  ASSERT_NE(Visor(), nullptr);
  EXPECT_TRUE(Visor()->isVisible());
  EXPECT_EQ(Visor()->PaginaActual(), "/ventana_principal.htm");
}

TEST_F(AyudaTest, UnknownTopicIsReported) {
  Ventana(kAyuda.parent_path());
  GuionModal guion({GuionModal::Aceptar()});
  ayuda_->AbrirTemaAyuda(ui::kArchivoAyuda, 99);
  ASSERT_TRUE(EsperarHasta([&] { return guion.Terminado(); }));
  ASSERT_EQ(guion.Vistos().size(), 1u);
  EXPECT_THAT(guion.Vistos()[0].texto.toStdString(), HasSubstr("no tiene el tema 99"));
  EXPECT_THAT(guion.Vistos()[0].texto.toStdString(), HasSubstr("RACIMA.chm"));
}

}  // namespace
}  // namespace trasvelo
