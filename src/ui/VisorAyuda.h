#pragma once

#include <QStringList>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <string>

#include "ui/Ayuda.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace trasvelo::platform {
class ChmFile;
struct ChmTopic;
}  // namespace trasvelo::platform

namespace trasvelo::ui {

// The page view of the help viewer: pages, stylesheets and images come from
// the open help file, addressed as "chm:/page.htm"; relative links resolve
// against the page on show.
class PaginaAyuda : public QTextBrowser {
  Q_OBJECT

 public:
  explicit PaginaAyuda(QWidget* parent = nullptr);
  void Usar(const platform::ChmFile* chm) {
    chm_ = chm;
    fallidos_.clear();
    cargados_.clear();
  }
  QVariant loadResource(int type, const QUrl& name) override;

  // What could not be found in the help file (pages, stylesheets, images),
  // as URLs, since the last Usar.
  const QStringList& Fallidos() const { return fallidos_; }
  // What was read from the help file.
  const QStringList& Cargados() const { return cargados_; }

 private:
  void Seguir(const QUrl& url);

  const platform::ChmFile* chm_ = nullptr;
  QStringList fallidos_;
  QStringList cargados_;
};

// The help viewer: the table of contents beside the page on show.
class VisorAyuda : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kEsquema = "chm";

  explicit VisorAyuda(QWidget* parent = nullptr);
  ~VisorAyuda() override;

  // Opens (again) the help file; throws platform::FileError naming it when
  // it is missing or damaged, and then keeps what it showed before.
  void Abrir(const std::filesystem::path& archivo);
  // The table of contents, with the default topic on show.
  void MostrarIndice();
  // One topic, by its object path inside the file ("/ventana_principal.htm").
  void MostrarTema(const std::string& objeto);

  const platform::ChmFile* Archivo() const { return chm_.get(); }
  // The object path of the page on show, "" when none.
  std::string PaginaActual() const;
  QTreeWidget* Contenido() const { return arbol_; }
  PaginaAyuda* Pagina() const { return pagina_; }

 private:
  void Llenar(QTreeWidgetItem* padre, const std::vector<platform::ChmTopic>& temas);
  void MarcarEnContenido(const QUrl& url);

  std::unique_ptr<platform::ChmFile> chm_;
  QTreeWidget* arbol_ = nullptr;
  PaginaAyuda* pagina_ = nullptr;
};

// The help service over compiled help files and the viewer above. A bare
// file name is looked up in the program directory given at construction.
// One viewer window serves every request. A help file that is missing or
// damaged is reported in a message box naming it; nothing else happens.
class AyudaChm : public Ayuda {
 public:
  explicit AyudaChm(std::filesystem::path directorioPrograma);
  ~AyudaChm() override;

  void AbrirIndiceAyuda(const std::string& archivo) override;
  void AbrirTemaAyuda(const std::string& archivo, int tema) override;

  // The viewer window, once help has been opened; null before.
  VisorAyuda* Visor() const { return visor_.get(); }

 private:
  std::filesystem::path Ruta(const std::string& archivo) const;
  // Opens the file in the viewer; false (after the message) when it fails.
  bool Preparar(const std::string& archivo);
  void Mostrar();

  std::filesystem::path directorio_;
  std::unique_ptr<VisorAyuda> visor_;
};

}  // namespace trasvelo::ui
