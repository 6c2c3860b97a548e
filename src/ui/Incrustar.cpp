#include "ui/Incrustar.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <optional>

namespace trasvelo::ui {

namespace {

struct Tamano {
  int ancho = 0;
  int alto = 0;
};

xcb_connection_t* ConexionX11() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) {
    return nullptr;
  }
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 != nullptr ? x11->connection() : nullptr;
}

// The size of window `id`, or nothing when no window has that id.
std::optional<Tamano> Geometria(xcb_connection_t* conexion, xcb_window_t id) {
  xcb_generic_error_t* error = nullptr;
  xcb_get_geometry_reply_t* geo =
      xcb_get_geometry_reply(conexion, xcb_get_geometry(conexion, id), &error);
  std::free(error);
  if (geo == nullptr) {
    return std::nullopt;
  }
  Tamano tamano{geo->width, geo->height};
  std::free(geo);
  return tamano;
}

// Asks the X server for the host's structure events (size changes and
// destruction) on this program's connection, keeping whatever else this
// connection already listens to there.
void EscucharEstructura(xcb_connection_t* conexion, xcb_window_t id) {
  uint32_t mascara = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_get_window_attributes_reply_t* atributos =
      xcb_get_window_attributes_reply(conexion, xcb_get_window_attributes(conexion, id), nullptr);
  if (atributos != nullptr) {
    mascara |= atributos->your_event_mask;
    std::free(atributos);
  }
  xcb_change_window_attributes(conexion, id, XCB_CW_EVENT_MASK, &mascara);
  xcb_flush(conexion);
}

class IncrustacionX11 final : public Incrustacion, public QAbstractNativeEventFilter {
 public:
  IncrustacionX11(QWidget& ventana, std::unique_ptr<QWindow> anfitrion, Tamano tamano)
      : ventana_(&ventana),
        anfitrion_(std::move(anfitrion)),
        id_(static_cast<xcb_window_t>(anfitrion_->winId())) {
    Centrar(tamano);
    qGuiApp->installNativeEventFilter(this);
  }
  ~IncrustacionX11() override {
    if (qGuiApp != nullptr) {
      qGuiApp->removeNativeEventFilter(this);
    }
    // The host's handle owns the window's native window as a child: release
    // that first, so that the handle goes alone.
    if (!ventana_.isNull() && ventana_->windowHandle() != nullptr &&
        ventana_->windowHandle()->parent() == anfitrion_.get()) {
      ventana_->windowHandle()->setParent(nullptr);
    }
  }

  uint64_t Anfitrion() const override { return id_; }

  bool nativeEventFilter(const QByteArray& tipo, void* mensaje, qintptr* /*resultado*/) override {
    if (tipo != "xcb_generic_event_t" || ventana_.isNull()) {
      return false;
    }
    const auto* evento = static_cast<const xcb_generic_event_t*>(mensaje);
    switch (evento->response_type & 0x7f) {
      case XCB_CONFIGURE_NOTIFY: {
        const auto* cambio = reinterpret_cast<const xcb_configure_notify_event_t*>(evento);
        if (cambio->window == id_) {
          Centrar(Tamano{cambio->width, cambio->height});
        }
        break;
      }
      case XCB_DESTROY_NOTIFY: {
        const auto* fin = reinterpret_cast<const xcb_destroy_notify_event_t*>(evento);
        if (fin->window == id_ && !cerrando_) {
          // The host is gone and the window with it: close as the user would,
          // once this event has been handled.
          cerrando_ = true;
          QMetaObject::invokeMethod(ventana_.data(), &QWidget::close, Qt::QueuedConnection);
        }
        break;
      }
      default:
        break;
    }
    return false;
  }

 private:
  void Centrar(Tamano anfitrion) {
    const int x = std::max(0, (anfitrion.ancho - ventana_->width()) / 2);
    const int y = std::max(0, (anfitrion.alto - ventana_->height()) / 2);
    QWindow* nativa = ventana_->windowHandle();
    if (!ventana_->isVisible() || nativa == nullptr) {
      // Before showing: a widget that has been moved keeps its place.
      ventana_->move(x, y);
    } else {
      // Once shown, Qt takes the host's own frame for this window's and
      // would move the widget by its margins: move the native window.
      nativa->setPosition(x, y);
    }
  }

  QPointer<QWidget> ventana_;
  std::unique_ptr<QWindow> anfitrion_;
  xcb_window_t id_;
  bool cerrando_ = false;
};

}  // namespace

std::unique_ptr<Incrustacion> Incrustar(QWidget& ventana, uint64_t id) {
  xcb_connection_t* conexion = ConexionX11();
  if (conexion == nullptr || id == 0 || id > std::numeric_limits<xcb_window_t>::max()) {
    return nullptr;
  }
  const auto ventanaX = static_cast<xcb_window_t>(id);
  // Without this check a wrong id would leave the window top-level at 0,0.
  std::optional<Tamano> tamano = Geometria(conexion, ventanaX);
  if (!tamano) {
    return nullptr;
  }
  std::unique_ptr<QWindow> anfitrion(QWindow::fromWinId(static_cast<WId>(ventanaX)));
  if (!anfitrion) {
    return nullptr;
  }
  // A plain widget (not a dialog that centres itself) without a frame, whose
  // native window is then made the host's child.
  ventana.setWindowFlags(Qt::Widget | Qt::FramelessWindowHint);
  ventana.winId();
  ventana.windowHandle()->setParent(anfitrion.get());
  EscucharEstructura(conexion, ventanaX);
  return std::make_unique<IncrustacionX11>(ventana, std::move(anfitrion), *tamano);
}

}  // namespace trasvelo::ui
