#pragma once

#include <cstdint>
#include <memory>

class QWidget;

// Placing a window inside a window of another program (the host).
namespace trasvelo::ui {

// While it lives, keeps the embedded window centred in its host as the host
// changes size, and closes the window when the host window is destroyed.
class Incrustacion {
 public:
  virtual ~Incrustacion() = default;
  // The host's window id.
  virtual uint64_t Anfitrion() const = 0;
};

// Makes `ventana` (not shown yet) a borderless child of the host window `id`.
// Returns nothing, and leaves the window as it was, when the windowing
// system cannot take foreign windows (offscreen, Wayland) or no window has
// that id.
std::unique_ptr<Incrustacion> Incrustar(QWidget& ventana, uint64_t id);

}  // namespace trasvelo::ui
