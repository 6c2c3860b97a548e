#include "ui/GradientPanel.h"

#include <QLinearGradient>
#include <QPainter>

namespace trasvelo::ui {

GradientPanel::GradientPanel(QColor inicio, QColor medio, QColor fin, QWidget* parent)
    : QWidget(parent), inicio_(inicio), medio_(medio), fin_(fin) {
  // Every pixel is painted here: nothing behind the panel needs drawing.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void GradientPanel::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  QLinearGradient gradiente(0, 0, 0, height() > 1 ? height() - 1 : 1);
  gradiente.setColorAt(0.0, inicio_);
  gradiente.setColorAt(0.5, medio_);
  gradiente.setColorAt(1.0, fin_);
  painter.fillRect(rect(), gradiente);
}

}  // namespace trasvelo::ui
