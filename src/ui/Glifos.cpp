#include "ui/Glifos.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace trasvelo::ui {

namespace {

constexpr int kLado = 16;

QPixmap Lienzo() {
  QPixmap pixmap(kLado, kLado);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

QIcon ConDesactivado(const QPixmap& normal) {
  QIcon icono(normal);
  // A disabled button shows its glyph in grey, as the classic bitmap buttons do.
  QPixmap gris = Lienzo();
  {
    QPainter painter(&gris);
    painter.setOpacity(0.35);
    painter.drawPixmap(0, 0, normal);
  }
  icono.addPixmap(gris, QIcon::Disabled);
  return icono;
}

}  // namespace

QIcon GlifoAceptar() {
  QPixmap pixmap = Lienzo();
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QPen pen(QColor(0x00, 0x80, 0x00), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter.setPen(pen);
  painter.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)}));
  painter.end();
  return ConDesactivado(pixmap);
}

QIcon GlifoCerrar() {
  QPixmap pixmap = Lienzo();
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  // The door frame.
  painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
  painter.setBrush(QColor(0x20, 0x20, 0x20));
  painter.drawRect(QRectF(5.5, 1.5, 8, 13));
  // The door, swung open towards the viewer.
  QPainterPath puerta;
  puerta.moveTo(5.5, 1.5);
  puerta.lineTo(10.5, 3.5);
  puerta.lineTo(10.5, 15.5);
  puerta.lineTo(5.5, 14.5);
  puerta.closeSubpath();
  painter.setBrush(QColor(0xC0, 0x80, 0x20));
  painter.drawPath(puerta);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xFF, 0xFF, 0x80));
  painter.drawEllipse(QPointF(9, 9), 0.9, 0.9);
  // The way out.
  painter.setPen(QPen(QColor(0xC0, 0x00, 0x00), 1.6, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(0.5, 8.5), QPointF(4, 8.5));
  painter.drawLine(QPointF(0.5, 8.5), QPointF(2.3, 6.7));
  painter.drawLine(QPointF(0.5, 8.5), QPointF(2.3, 10.3));
  painter.end();
  return ConDesactivado(pixmap);
}

}  // namespace trasvelo::ui
