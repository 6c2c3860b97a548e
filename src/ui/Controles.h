#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// The fonts and the plain controls that the windows are built from.
namespace trasvelo::ui {

class GradientPanel;

// The classic dialog font (11 pixels), or fonts with its metrics where it is
// missing.
QFont FuenteDialogo(bool negrita);

struct Estilo {
  bool negrita = true;
  bool cursiva = false;
  bool subrayada = false;
};
// Arial, or a font with its metrics, of `pixeles` pixels.
QFont FuenteArial(int pixeles, Estilo estilo = {});

// A transparent label at `caja` (its text from the top left); the panel's
// gradient shows through it.
QLabel* Etiqueta(QWidget* padre, const char* nombre, const QString& texto, const QFont& fuente,
                 const QRect& caja, bool ajustar);
// Sets the colour of a label's text.
void ColorTexto(QLabel* etiqueta, QColor color);

// A gradient panel at `caja`: `inicio` at the top, `medio` half-way down,
// `fin` at the bottom.
GradientPanel* Panel(QWidget* padre, const char* nombre, QColor inicio, QColor medio, QColor fin,
                     const QRect& caja);

// A push button that Return presses while it has the focus, as on the
// classic dialogs.
QPushButton* Boton(QWidget* padre, const char* nombre, const QString& texto, const QRect& caja);

}  // namespace trasvelo::ui
