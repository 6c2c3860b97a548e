// GoogleTest over Qt widgets: one QApplication for every test, on the
// offscreen platform unless another one is asked for.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  ::testing::InitGoogleTest(&argc, argv);
  QApplication aplicacion(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Trasvelo"));
  QApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
