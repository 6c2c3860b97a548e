#pragma once

#include <QColor>
#include <QWidget>

namespace trasvelo::ui {

// A panel painted with a vertical gradient: the start colour at the top, the
// middle colour half-way down, the end colour at the bottom. The windows lay
// their controls on these.
class GradientPanel : public QWidget {
  Q_OBJECT

 public:
  GradientPanel(QColor inicio, QColor medio, QColor fin, QWidget* parent = nullptr);

  QColor ColorInicio() const { return inicio_; }
  QColor ColorMedio() const { return medio_; }
  QColor ColorFin() const { return fin_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor inicio_;
  QColor medio_;
  QColor fin_;
};

}  // namespace trasvelo::ui
