// The run report in the window: "Proceso finalizado" keeps its text, and the
// report waits behind the box's details only when it holds something.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <string>

#include "GuionModal.h"
#include "core/EstadoPrograma.h"
#include "platform/Paths.h"
#include "support/TempDir.h"
#include "ui/Ayuda.h"
#include "ui/TMForm.h"

namespace trasvelo {
namespace {

namespace fs = std::filesystem;
using test::EsperarHasta;
using test::GuionModal;

class SinAyuda : public ui::Ayuda {
 public:
  void AbrirIndiceAyuda(const std::string&) override {}
  void AbrirTemaAyuda(const std::string&, int) override {}
};

// One time frame and its slot, and `materias` as the subjects.
std::string Documento(const std::string& materias) {
  return R"(<?xml version="1.0" encoding="UTF-8"?>
<SERVICIO><BLOQUE_DATOS>
<grupo_datos seq="MATERIAS">)" +
         materias + R"(</grupo_datos>
<grupo_datos seq="JORNADAS_ESCOLARES"><grupo_datos>
<dato>M1</dato><dato>Mañana</dato><dato>01/09/2026</dato><dato>30/06/2027</dato>
</grupo_datos></grupo_datos>
<grupo_datos seq="TRAMOS_HORARIOS"><grupo_datos>
<dato>T1</dato><dato>1ª</dato><dato>480</dato><dato>535</dato><dato>M1</dato>
</grupo_datos></grupo_datos>
</BLOQUE_DATOS></SERVICIO>
)";
}

TEST(InformeVentana, TheReportIsTheDetailedTextOfTheFinalMessage) {
  const fs::path niveles = platform::ProgramDirectory() / "NIVELLARI.dbf";
  ASSERT_TRUE(fs::exists(niveles)) << "the build puts the level table beside the tests";
  struct Caso {
    const char* nombre;
    std::string materias;
    QString detalle;
  };
  const Caso casos[] = {
      {"clean", "", QString()},
      {"with notices",
       "<grupo_datos><dato>101</dato></grupo_datos>"
       "<grupo_datos><dato>101</dato><dato>M2</dato></grupo_datos>",
       QString::fromUtf8("MATERIAS, registro 1, clave '101': se omite: el registro tiene 1 "
                         "valor(es), y hacen falta al menos dos\n"
                         "MATERIAS, registro 2, clave 'M2': se omite: la materia no tiene "
                         "nombre\n")},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nombre);
    test::TempDir trabajo, programa, documentos;
    fs::copy_file(niveles, programa / "NIVELLARI.dbf");
    test::WriteFile(documentos / "centro.xml", Documento(caso.materias));
    core::EstadoPrograma estado(core::Directorios{trabajo.path(), programa.path()});
    SinAyuda ayuda;

    QString texto, detalle;
    QMessageBox::Icon icono = QMessageBox::NoIcon;
    GuionModal guion({GuionModal::ElegirArchivo(documentos.path(), "centro.xml"), [&](QWidget* w) {
                        auto* caja = qobject_cast<QMessageBox*>(w);
                        ASSERT_NE(caja, nullptr);
                        texto = caja->text();
                        detalle = caja->detailedText();
                        icono = caja->icon();
                        caja->accept();
                      }});
    ui::TMForm ventana(estado, {}, ayuda);
    ventana.Iniciar();
    QTest::mouseClick(ventana.findChild<QPushButton*>("BExportar"), Qt::LeftButton);
    ASSERT_TRUE(EsperarHasta([&] { return guion.Terminado(); }));
    EXPECT_EQ(texto, QString("Proceso finalizado"));
    EXPECT_EQ(detalle, caso.detalle);
    EXPECT_EQ(icono, QMessageBox::Information);
    EXPECT_EQ(estado.resultado, 1);
  }
}

}  // namespace
}  // namespace trasvelo
