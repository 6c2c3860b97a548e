#include "ui/Controles.h"

#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QStringList>

#include "ui/GradientPanel.h"

namespace trasvelo::ui {

QFont FuenteDialogo(bool negrita) {
  QFont fuente;
  fuente.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  fuente.setPixelSize(11);
  fuente.setBold(negrita);
  return fuente;
}

QFont FuenteArial(int pixeles, Estilo estilo) {
  QFont fuente;
  fuente.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
  fuente.setPixelSize(pixeles);
  fuente.setBold(estilo.negrita);
  fuente.setItalic(estilo.cursiva);
  fuente.setUnderline(estilo.subrayada);
  return fuente;
}

QLabel* Etiqueta(QWidget* padre, const char* nombre, const QString& texto, const QFont& fuente,
                 const QRect& caja, bool ajustar) {
  auto* etiqueta = new QLabel(texto, padre);
  etiqueta->setObjectName(QString::fromLatin1(nombre));
  etiqueta->setFont(fuente);
  etiqueta->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  etiqueta->setWordWrap(ajustar);
  // Transparent: the panel's gradient shows through.
  etiqueta->setAutoFillBackground(false);
  etiqueta->setAttribute(Qt::WA_TranslucentBackground);
  etiqueta->setGeometry(caja);
  return etiqueta;
}

void ColorTexto(QLabel* etiqueta, QColor color) {
  QPalette paleta = etiqueta->palette();
  paleta.setColor(QPalette::WindowText, color);
  etiqueta->setPalette(paleta);
}

GradientPanel* Panel(QWidget* padre, const char* nombre, QColor inicio, QColor medio, QColor fin,
                     const QRect& caja) {
  auto* panel = new GradientPanel(inicio, medio, fin, padre);
  panel->setObjectName(QString::fromLatin1(nombre));
  panel->setGeometry(caja);
  return panel;
}

QPushButton* Boton(QWidget* padre, const char* nombre, const QString& texto, const QRect& caja) {
  auto* boton = new QPushButton(texto, padre);
  boton->setObjectName(QString::fromLatin1(nombre));
  boton->setGeometry(caja);
  boton->setAutoDefault(true);
  boton->setDefault(false);
  return boton;
}

}  // namespace trasvelo::ui
