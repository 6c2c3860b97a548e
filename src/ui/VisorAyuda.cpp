#include "ui/VisorAyuda.h"

#include <QDesktopServices>
#include <QHeaderView>
#include <QSplitter>
#include <QTextDocument>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <optional>

#include "platform/Chm.h"
#include "platform/Error.h"
#include "ui/Dialogos.h"

namespace trasvelo::ui {

namespace fs = std::filesystem;

namespace {

constexpr int kRolObjeto = Qt::UserRole;

QUrl UrlDe(const std::string& objeto) {
  QUrl url;
  url.setScheme(QString::fromLatin1(VisorAyuda::kEsquema));
  const QString texto = QString::fromStdString(objeto);
  const qsizetype almohadilla = texto.indexOf(QLatin1Char('#'), 1);
  url.setPath(almohadilla < 0 ? texto : texto.left(almohadilla));
  if (almohadilla >= 0)
    url.setFragment(texto.mid(almohadilla + 1));
  return url;
}

}  // namespace

PaginaAyuda::PaginaAyuda(QWidget* parent) : QTextBrowser(parent) {
  // Links are followed here: pages of the help file in this view, anything
  // else (a web address) in the desktop's own program.
  setOpenLinks(false);
  connect(this, &QTextBrowser::anchorClicked, this, &PaginaAyuda::Seguir);
}

void PaginaAyuda::Seguir(const QUrl& url) {
  if (url.scheme() == QLatin1String(VisorAyuda::kEsquema)) {
    setSource(url);
  } else if (!url.scheme().isEmpty()) {
    QDesktopServices::openUrl(url);
  }
}

QVariant PaginaAyuda::loadResource(int type, const QUrl& name) {
  const QUrl url = name.isRelative() ? source().resolved(name) : name;
  if (url.scheme() != QLatin1String(VisorAyuda::kEsquema) || !chm_) {
    return QTextBrowser::loadResource(type, name);
  }
  std::optional<std::string> bytes;
  try {
    bytes = chm_->Read(url.path().toStdString());
  } catch (const platform::FileError&) {
    // A damaged object shows as a missing one; the file opened.
  }
  if (!bytes) {
    fallidos_.append(url.toString());
    return {};
  }
  cargados_.append(url.toString(QUrl::RemoveFragment));
  return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

VisorAyuda::VisorAyuda(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("VisorAyuda"));
  resize(820, 560);
  auto* divisor = new QSplitter(Qt::Horizontal, this);
  arbol_ = new QTreeWidget(divisor);
  arbol_->setObjectName(QStringLiteral("Contenido"));
  arbol_->setHeaderHidden(true);
  arbol_->setColumnCount(1);
  pagina_ = new PaginaAyuda(divisor);
  pagina_->setObjectName(QStringLiteral("Pagina"));
  divisor->addWidget(arbol_);
  divisor->addWidget(pagina_);
  divisor->setStretchFactor(0, 0);
  divisor->setStretchFactor(1, 1);
  divisor->setSizes({240, 580});
  auto* capa = new QVBoxLayout(this);
  capa->setContentsMargins(0, 0, 0, 0);
  capa->addWidget(divisor);

  connect(arbol_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (!item)
      return;
    const QString objeto = item->data(0, kRolObjeto).toString();
    if (!objeto.isEmpty())
      pagina_->setSource(UrlDe(objeto.toStdString()));
  });
  connect(pagina_, &QTextBrowser::sourceChanged, this, &VisorAyuda::MarcarEnContenido);
}

VisorAyuda::~VisorAyuda() {
  // The page view reads from the file until it goes.
  pagina_->Usar(nullptr);
}

void VisorAyuda::Abrir(const fs::path& archivo) {
  auto nuevo = std::make_unique<platform::ChmFile>(archivo);
  std::vector<platform::ChmTopic> temas = nuevo->Contents();  // may throw: keep the old one

  pagina_->Usar(nuevo.get());
  chm_ = std::move(nuevo);
  setWindowTitle(chm_->Title().empty() ? QString::fromStdString(archivo.filename().string())
                                       : QString::fromStdString(chm_->Title()));
  {
    const QSignalBlocker bloqueo(arbol_);
    arbol_->clear();
    Llenar(nullptr, temas);
    arbol_->expandAll();
  }
  pagina_->clearHistory();
}

void VisorAyuda::Llenar(QTreeWidgetItem* padre, const std::vector<platform::ChmTopic>& temas) {
  for (const platform::ChmTopic& tema : temas) {
    auto* item = padre ? new QTreeWidgetItem(padre) : new QTreeWidgetItem(arbol_);
    item->setText(0, QString::fromStdString(tema.title));
    item->setData(0, kRolObjeto, QString::fromStdString(tema.local));
    Llenar(item, tema.children);
  }
}

void VisorAyuda::MostrarIndice() {
  std::string inicio = chm_ ? chm_->DefaultTopic() : std::string();
  if (inicio.empty() && arbol_->topLevelItemCount() > 0)
    inicio = arbol_->topLevelItem(0)->data(0, kRolObjeto).toString().toStdString();
  arbol_->show();
  if (!inicio.empty())
    MostrarTema(inicio);
  arbol_->setFocus();
}

void VisorAyuda::MostrarTema(const std::string& objeto) {
  const QUrl url = UrlDe(objeto);
  // The page on show may come from the file as it was before Abrir read it
  // again: read it anew.
  const bool misma =
      pagina_->source().adjusted(QUrl::RemoveFragment) == url.adjusted(QUrl::RemoveFragment);
  pagina_->setSource(url);
  if (misma)
    pagina_->reload();
}

std::string VisorAyuda::PaginaActual() const {
  const QUrl fuente = pagina_->source();
  return fuente.isEmpty() ? std::string() : fuente.path().toStdString();
}

void VisorAyuda::MarcarEnContenido(const QUrl& url) {
  const QString ruta = url.path();
  const QSignalBlocker bloqueo(arbol_);
  for (QTreeWidgetItemIterator it(arbol_); *it; ++it) {
    QString objeto = (*it)->data(0, kRolObjeto).toString();
    objeto =
        objeto.left(objeto.indexOf(QLatin1Char('#'), 1) < 0 ? objeto.size()
                                                            : objeto.indexOf(QLatin1Char('#'), 1));
    if (objeto.compare(ruta, Qt::CaseInsensitive) == 0) {
      arbol_->setCurrentItem(*it);
      return;
    }
  }
  arbol_->setCurrentItem(nullptr);
}

AyudaChm::AyudaChm(fs::path directorioPrograma) : directorio_(std::move(directorioPrograma)) {}

AyudaChm::~AyudaChm() = default;

fs::path AyudaChm::Ruta(const std::string& archivo) const {
  const fs::path ruta(archivo);
  return ruta.has_parent_path() ? ruta : directorio_ / ruta;
}

bool AyudaChm::Preparar(const std::string& archivo) {
  if (!visor_)
    visor_ = std::make_unique<VisorAyuda>();
  try {
    visor_->Abrir(Ruta(archivo));
    return true;
  } catch (const platform::FileError& error) {
    MostrarError(nullptr, error.what());
    return false;
  }
}

void AyudaChm::Mostrar() {
  visor_->show();
  visor_->raise();
  visor_->activateWindow();
}

void AyudaChm::AbrirIndiceAyuda(const std::string& archivo) {
  if (!Preparar(archivo))
    return;
  visor_->MostrarIndice();
  Mostrar();
}

void AyudaChm::AbrirTemaAyuda(const std::string& archivo, int tema) {
  if (!Preparar(archivo))
    return;
  std::optional<std::string> objeto;
  try {
    if (tema >= 0)
      objeto = visor_->Archivo()->TopicOfContext(static_cast<uint32_t>(tema));
  } catch (const platform::FileError& error) {
    MostrarError(nullptr, error.what());
    return;
  }
  if (!objeto) {
    MostrarError(nullptr, "El archivo de ayuda " + Ruta(archivo).string() + " no tiene el tema " +
                              std::to_string(tema) + ".");
    return;
  }
  visor_->MostrarTema(*objeto);
  Mostrar();
}

}  // namespace trasvelo::ui
