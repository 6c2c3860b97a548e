#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

#include "platform/Table.h"

namespace trasvelo::test {

// Another process that holds a table open, for exclusive or for shared use,
// as the host program does, until the object goes or Soltar() is called.
class TablaRetenida {
 public:
  TablaRetenida(const std::filesystem::path& dir, const std::string& tabla,
                platform::OpenMode modo = platform::OpenMode::Exclusive);
  ~TablaRetenida();
  TablaRetenida(const TablaRetenida&) = delete;
  TablaRetenida& operator=(const TablaRetenida&) = delete;

  // The other process has the table open.
  bool Abierta() const { return abierta_; }
  void Soltar();

 private:
  pid_t pid_ = -1;
  int suelta_ = -1;
  bool abierta_ = false;
};

}  // namespace trasvelo::test
