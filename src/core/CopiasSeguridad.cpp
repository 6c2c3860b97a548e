#include "core/CopiasSeguridad.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <set>
#include <system_error>
#include <utility>

#include "platform/Error.h"
#include "platform/FileLock.h"
#include "platform/Text1252.h"

namespace trasvelo::core {
namespace {

using platform::FileError;

// The tables that the import's steps drop or create.
constexpr const char* kTablas[] = {"ASIGNOMT",    "ASIGNOMT2", "PROFT", "AULAT",
                                   "CURSOST",     "GRUPOST",   "ASIGT", "DIASHORAST",
                                   "DIASHORAST2", "PERIODOS"};
constexpr const char* kExtensiones[] = {".DBF", ".MDX", ".DBT"};

// Every working-table file name, upper-cased, with the table it belongs to.
const std::map<std::string, std::string>& NombresDeTablas() {
  static const std::map<std::string, std::string> nombres = [] {
    std::map<std::string, std::string> m;
    for (const char* tabla : kTablas) {
      for (const char* extension : kExtensiones)
        m.emplace(std::string(tabla) + extension, tabla);
    }
    m.emplace("JORNADAS.DBF", "JORNADAS");  // removed by the import, never created
    return m;
  }();
  return nombres;
}

// The table that a file name belongs to, or nothing.
std::optional<std::string> TablaDe(const fs::path& archivo) {
  const auto& nombres = NombresDeTablas();
  auto it = nombres.find(platform::UpperAscii(archivo.filename().string()));
  if (it == nombres.end())
    return std::nullopt;
  return it->second;
}

std::string Causa(int err) {
  return std::strerror(err);
}

[[noreturn]] void FallaCopia(const fs::path& carpeta, const std::string& que, int err) {
  throw FileError("No se pudo hacer la copia de seguridad de las tablas de trabajo en " +
                      carpeta.string() + " (" + que + ": " + Causa(err) +
                      "); no se ha importado nada.",
                  platform::ErrorPlace{carpeta.string(), {}, -1, {}});
}

// A descriptor closed when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  Descriptor(Descriptor&& otro) noexcept : fd_(std::exchange(otro.fd_, -1)) {}
  Descriptor& operator=(Descriptor&&) = delete;
  int get() const { return fd_; }
  // Closes now; the error of close(), or 0.
  int Cerrar() {
    const int fd = std::exchange(fd_, -1);
    return fd >= 0 && ::close(fd) != 0 ? errno : 0;
  }

 private:
  int fd_;
};

// Copies `origen` into the new file `destino` (which must not exist) and
// syncs it. 0, or the errno of the failing call; `que` then says which.
int CopiarArchivo(const fs::path& origen, const fs::path& destino, std::string& que) {
  Descriptor entrada(::open(origen.c_str(), O_RDONLY | O_CLOEXEC));
  if (entrada.get() < 0) {
    que = "no se puede leer " + origen.string();
    return errno;
  }
  Descriptor salida(::open(destino.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (salida.get() < 0) {
    que = "no se puede crear " + destino.string();
    return errno;
  }
  que = "no se puede escribir " + destino.string();
  char bloque[1 << 16];
  for (;;) {
    ssize_t leidos = ::read(entrada.get(), bloque, sizeof bloque);
    if (leidos < 0) {
      if (errno == EINTR)
        continue;
      que = "no se puede leer " + origen.string();
      return errno;
    }
    if (leidos == 0)
      break;
    const char* p = bloque;
    size_t quedan = static_cast<size_t>(leidos);
    while (quedan > 0) {
      ssize_t n = ::write(salida.get(), p, quedan);
      if (n < 0) {
        if (errno == EINTR)
          continue;
        return errno;
      }
      p += n;
      quedan -= static_cast<size_t>(n);
    }
  }
  if (::fsync(salida.get()) != 0)
    return errno;
  return salida.Cerrar();
}

int SincronizarCarpeta(const fs::path& carpeta) {
  Descriptor fd(::open(carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0)
    return errno;
  return ::fsync(fd.get()) != 0 ? errno : 0;
}

std::string NombreDeHora(std::chrono::system_clock::time_point ahora) {
  const std::time_t t = std::chrono::system_clock::to_time_t(ahora);
  std::tm local{};
  localtime_r(&t, &local);
  char texto[32];
  const size_t n = std::strftime(texto, sizeof texto, "%Y%m%d-%H%M%S", &local);
  return std::string(texto, n);
}

// A copy folder's name split into its time and its number (1 without one);
// nothing for any other name.
std::optional<std::pair<std::string, unsigned long>> ClaveDeCopia(const std::string& nombre) {
  auto digitos = [&](size_t desde, size_t cuantos) {
    return nombre.size() >= desde + cuantos &&
           std::all_of(nombre.begin() + desde, nombre.begin() + desde + cuantos,
                       [](char c) { return c >= '0' && c <= '9'; });
  };
  if (!digitos(0, 8) || nombre.size() < 15 || nombre[8] != '-' || !digitos(9, 6))
    return std::nullopt;
  if (nombre.size() == 15)
    return std::pair{nombre, 1UL};
  if (nombre[15] != '-' || nombre.size() > 15 + 1 + 9 || !digitos(16, nombre.size() - 16) ||
      nombre.size() == 16)
    return std::nullopt;
  return std::pair{nombre.substr(0, 15), std::stoul(nombre.substr(16))};
}

void PodarCopias(const fs::path& raiz) {
  const std::vector<fs::path> copias = ListarCopias(raiz);
  if (copias.size() <= kCopiasGuardadas)
    return;
  for (size_t i = 0; i + kCopiasGuardadas < copias.size(); ++i) {
    std::error_code ec;
    fs::remove_all(copias[i], ec);  // a copy that cannot go stays; the new one is made
  }
}

// The working files of one table, in every spelling present.
std::vector<fs::path> ArchivosDeTabla(const fs::path& trabajo, const std::string& tabla) {
  std::vector<fs::path> archivos;
  for (const fs::path& archivo : ArchivosQueReemplaza(trabajo)) {
    if (TablaDe(archivo) == tabla)
      archivos.push_back(archivo);
  }
  return archivos;
}

}  // namespace

fs::path CarpetaCopiasDelUsuario() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && fs::path(xdg).is_absolute())
    return fs::path(xdg) / "trasvelo" / "copias";
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0')
    return fs::path(home) / ".local" / "share" / "trasvelo" / "copias";
  return {};
}

std::vector<fs::path> ArchivosQueReemplaza(const fs::path& trabajo) {
  std::vector<fs::path> archivos;
  std::error_code ec;
  for (fs::directory_iterator it(trabajo, ec), fin; !ec && it != fin; it.increment(ec)) {
    std::error_code ec2;
    if (it->is_regular_file(ec2) && TablaDe(it->path()))
      archivos.push_back(it->path());
  }
  std::sort(archivos.begin(), archivos.end());
  return archivos;
}

std::optional<fs::path> CopiarTablas(const fs::path& raiz, const fs::path& trabajo,
                                     std::chrono::system_clock::time_point ahora) {
  const std::vector<fs::path> archivos = ArchivosQueReemplaza(trabajo);
  if (archivos.empty())
    return std::nullopt;

  std::error_code ec;
  fs::create_directories(raiz, ec);
  if (ec || !fs::is_directory(raiz))
    FallaCopia(raiz, "no se puede crear la carpeta", ec ? ec.value() : ENOTDIR);

  const std::string hora = NombreDeHora(ahora);
  for (unsigned long numero = 1;; ++numero) {
    const std::string nombre = numero == 1 ? hora : hora + "-" + std::to_string(numero);
    const fs::path carpeta = raiz / nombre;
    if (fs::exists(fs::symlink_status(carpeta, ec)))
      continue;
    const fs::path parcial = raiz / ("." + nombre + ".parcial");
    fs::remove_all(parcial, ec);
    if (::mkdir(parcial.c_str(), 0755) != 0)
      FallaCopia(carpeta, "no se puede crear la carpeta", errno);

    for (const fs::path& archivo : archivos) {
      std::string que;
      if (int err = CopiarArchivo(archivo, parcial / archivo.filename(), que); err != 0) {
        fs::remove_all(parcial, ec);
        FallaCopia(carpeta, que, err);
      }
    }
    if (int err = SincronizarCarpeta(parcial); err != 0) {
      fs::remove_all(parcial, ec);
      FallaCopia(carpeta, "no se puede guardar la carpeta en el disco", err);
    }
    if (::renameat2(AT_FDCWD, parcial.c_str(), AT_FDCWD, carpeta.c_str(), RENAME_NOREPLACE) != 0) {
      const int err = errno;
      if (err == EEXIST)
        continue;  // taken meanwhile: the next number
      fs::remove_all(parcial, ec);
      FallaCopia(carpeta, "no se puede dar nombre a la carpeta", err);
    }
    if (int err = SincronizarCarpeta(raiz); err != 0)
      FallaCopia(carpeta, "no se puede guardar la carpeta en el disco", err);
    PodarCopias(raiz);
    return carpeta;
  }
}

std::vector<fs::path> ListarCopias(const fs::path& raiz) {
  std::vector<std::pair<std::pair<std::string, unsigned long>, fs::path>> copias;
  std::error_code ec;
  for (fs::directory_iterator it(raiz, ec), fin; !ec && it != fin; it.increment(ec)) {
    std::error_code ec2;
    if (!it->is_directory(ec2))
      continue;
    if (auto clave = ClaveDeCopia(it->path().filename().string()))
      copias.emplace_back(*clave, it->path());
  }
  std::sort(copias.begin(), copias.end());
  std::vector<fs::path> carpetas;
  for (auto& copia : copias)
    carpetas.push_back(std::move(copia.second));
  return carpetas;
}

std::vector<std::string> RestaurarCopia(const fs::path& carpeta, const fs::path& trabajo) {
  // The copy's files, and the tables they restore.
  std::vector<fs::path> copiados;
  std::set<std::string> tablas;
  std::error_code ec;
  for (fs::directory_iterator it(carpeta, ec), fin; !ec && it != fin; it.increment(ec)) {
    std::error_code ec2;
    if (!it->is_regular_file(ec2))
      continue;
    if (auto tabla = TablaDe(it->path())) {
      copiados.push_back(it->path());
      tablas.insert(*tabla);
    }
  }
  if (ec) {
    throw FileError("No se puede leer la copia " + carpeta.string() + " (" + ec.message() + ")",
                    platform::ErrorPlace{carpeta.string(), {}, -1, {}});
  }
  if (copiados.empty()) {
    throw FileError("La carpeta " + carpeta.string() +
                        " no contiene ninguna copia de las tablas de trabajo; no se ha "
                        "restaurado nada.",
                    platform::ErrorPlace{carpeta.string(), {}, -1, {}});
  }
  std::sort(copiados.begin(), copiados.end());

  // Every working file of those tables, held for exclusive use until the
  // copy is back: nobody else may be reading a table while it is replaced.
  std::vector<fs::path> presentes;
  std::vector<Descriptor> bloqueos;
  for (const std::string& tabla : tablas) {
    for (const fs::path& archivo : ArchivosDeTabla(trabajo, tabla)) {
      presentes.push_back(archivo);
      Descriptor fd(::open(archivo.c_str(), O_RDWR | O_CLOEXEC));
      if (fd.get() < 0) {
        throw FileError("No se puede abrir " + archivo.string() + " (" + Causa(errno) +
                            "); no se ha restaurado nada.",
                        platform::ErrorPlace{archivo.string(), tabla, -1, {}});
      }
      if (platform::lock::TryLock(fd.get(), platform::lock::Kind::Exclusive) != 1) {
        throw platform::TableError("La tabla " + tabla + " (" + archivo.string() +
                                       ") está en uso por otro programa; ciérrelo y vuelva a "
                                       "intentarlo. No se ha restaurado nada.",
                                   platform::ErrorPlace{archivo.string(), tabla, -1, {}});
      }
      bloqueos.push_back(std::move(fd));
    }
  }

  // All new files first, under temporary names: a failure here changes no
  // working file.
  std::vector<std::pair<fs::path, fs::path>> nuevos;  // temporary -> final
  auto deshacer = [&] {
    for (const auto& [temporal, final] : nuevos)
      fs::remove(temporal, ec);
  };
  for (const fs::path& copiado : copiados) {
    const fs::path temporal = trabajo / ("." + copiado.filename().string() + ".restaurando");
    fs::remove(temporal, ec);
    nuevos.emplace_back(temporal, trabajo / copiado.filename());
    std::string que;
    if (int err = CopiarArchivo(copiado, temporal, que); err != 0) {
      deshacer();
      throw FileError("No se pudo restaurar la copia " + carpeta.string() + " en " +
                          trabajo.string() + " (" + que + ": " + Causa(err) +
                          "); no se ha cambiado nada.",
                      platform::ErrorPlace{trabajo.string(), {}, -1, {}});
    }
  }

  // Then into place; afterwards the working files of those tables that the
  // copy does not hold (another spelling, an index the copy has not) go.
  std::vector<std::string> restaurados;
  for (const auto& [temporal, final] : nuevos) {
    if (::rename(temporal.c_str(), final.c_str()) != 0) {
      const int err = errno;
      deshacer();
      throw FileError("No se pudo restaurar " + final.string() + " (" + Causa(err) +
                          "); la restauración ha quedado a medias: repítala.",
                      platform::ErrorPlace{final.string(), {}, -1, {}});
    }
    restaurados.push_back(final.filename().string());
  }
  const std::set<std::string> finales(restaurados.begin(), restaurados.end());
  for (const fs::path& presente : presentes) {
    if (!finales.contains(presente.filename().string()))
      fs::remove(presente, ec);
  }
  SincronizarCarpeta(trabajo);
  return restaurados;
}

}  // namespace trasvelo::core
