#pragma once

#include <QDialog>
#include <exception>
#include <filesystem>
#include <string>

#include "core/ModeloPlantillas.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace trasvelo::ui {

class Ayuda;
class GradientPanel;

// The time-frame chooser: the frames of the exchange document in one list,
// the name, dates and slots of the frame pointed at, and a button that
// closes it. What it reads and how it judges the selection is
// core::ModeloPlantillas; this class only shows it.
class TPlantillas : public QDialog {
  Q_OBJECT

 public:
  TPlantillas(std::filesystem::path archivoXML, Ayuda& ayuda, QWidget* parent = nullptr);
  ~TPlantillas() override;

  // Set when the dialog closes.
  bool SeleccionValida = false;
  std::string MarcosSeleccionados;  // Windows-1252, 10 characters a frame

  // The dialog's own load of the document failed or found nothing to choose:
  // it closed at once and this is why (null otherwise).
  std::exception_ptr ErrorCarga() const { return errorCarga_; }

 public slots:
  // Escape does nothing: the dialog has no cancel button.
  void reject() override;
  // Every way of closing judges the selection once.
  void done(int resultado) override;

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FormActivate();
  void ComboBoxPlantillaChange();
  void ListBox2Click();
  void BitBtnContinuarClick();
  void FormClose();

  std::filesystem::path archivoXML_;
  Ayuda& ayuda_;
  core::ModeloPlantillas modelo_;
  std::exception_ptr errorCarga_;
  bool cerrando_ = false;

  GradientPanel* Draw3D4_ = nullptr;
  QLabel* LabelPlantillas_ = nullptr;
  QLabel* LabelSelec_ = nullptr;
  QLabel* LabelMarcos_ = nullptr;
  QLabel* Label1_ = nullptr;
  QListWidget* ListBox2_ = nullptr;
  QListWidget* ListBox1_ = nullptr;
  QLabel* LabelNombre_ = nullptr;
  QLabel* LabelPlanFec1_ = nullptr;
  QLabel* LabelPlanFec2_ = nullptr;
  QComboBox* ComboBoxPlantilla_ = nullptr;
  QPushButton* BitBtnContinuar_ = nullptr;
};

}  // namespace trasvelo::ui
