// The window program: the main window, hosted in another program's window
// when started with a direction and a window id.
#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "core/CopiasSeguridad.h"
#include "core/EstadoPrograma.h"
#include "platform/Paths.h"
#include "ui/Dialogos.h"
#include "ui/TMForm.h"
#include "ui/VisorAyuda.h"

int main(int argc, char** argv) {
  QApplication aplicacion(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(trasvelo::ui::kTituloAplicacion));
  // The program ends when the main window closes, and only then: an
  // embedded window does not count as a top-level window, so closing a
  // message box would otherwise end it.
  QApplication::setQuitOnLastWindowClosed(false);

  // The command line after Qt has taken its own options.
  std::vector<std::string> argumentos;
  for (int i = 1; i < argc; ++i) {
    argumentos.emplace_back(argv[i]);
  }

  try {
    trasvelo::core::EstadoPrograma estado(trasvelo::core::Directorios{
        trasvelo::platform::WorkingDirectory(), trasvelo::platform::ProgramDirectory(),
        trasvelo::core::CarpetaCopiasDelUsuario()});
    trasvelo::ui::AyudaChm ayuda(trasvelo::platform::ProgramDirectory());
    trasvelo::ui::TMForm ventana(estado, argumentos, ayuda);
    QObject::connect(&ventana, &trasvelo::ui::TMForm::Cerrada, &aplicacion, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    ventana.Iniciar();
    return QApplication::exec();
  } catch (const std::exception& error) {
    trasvelo::ui::MostrarError(nullptr, error.what());
    return 1;
  }
}
