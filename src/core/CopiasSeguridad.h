#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Copies of the working tables that an import replaces, made before it drops
// any of them, and putting one of them back. Each copy is a folder named by
// its local time, AAAAMMDD-HHMMSS (then -2, -3 ... when that name is taken),
// under a root folder of the user's; the last ten are kept.
namespace trasvelo::core {

namespace fs = std::filesystem;

inline constexpr size_t kCopiasGuardadas = 10;

// The user's root of copies: $XDG_DATA_HOME/trasvelo/copias, or
// $HOME/.local/share/trasvelo/copias when XDG_DATA_HOME is unset or not an
// absolute path. Empty when neither is known.
fs::path CarpetaCopiasDelUsuario();

// The files of the working directory that an import deletes or replaces:
// the .DBF, .MDX and .DBT files of every table its steps drop or create, and
// JORNADAS.DBF, each in every spelling present (names compared ignoring
// ASCII case). Sorted by name.
std::vector<fs::path> ArchivosQueReemplaza(const fs::path& trabajo);

// Copies those files into a new folder under `raiz` (created when missing),
// each one whole and synced to the disk before this returns; then removes
// the oldest folders beyond the last ten. The folder is built under a
// hidden name and renamed when complete, so a copy that fails half-way (the
// disk full, the root not a folder) leaves no folder behind and throws
// FileError naming the folder and the cause. Returns the new folder, or
// nothing when the working directory holds none of the files.
std::optional<fs::path> CopiarTablas(
    const fs::path& raiz, const fs::path& trabajo,
    std::chrono::system_clock::time_point ahora = std::chrono::system_clock::now());

// The copy folders under `raiz`, oldest first (other entries are ignored).
std::vector<fs::path> ListarCopias(const fs::path& raiz);

// Puts the copy in `carpeta` back into `trabajo`, byte for byte: every file
// of the copy replaces the working file of that name (in any spelling), and
// the other .DBF, .MDX and .DBT files of each restored table are removed, so
// that no index is left beside a table it does not belong to. Files of the
// copy that are no working-table file are ignored. Before anything is
// written, every working file of the restored tables is locked for exclusive
// use; while another process holds one, TableError names the table and
// nothing changes. Every new file is written and synced under a temporary
// name first, so a failure while writing (FileError) leaves the working
// directory as it was. Returns the names of the files restored.
std::vector<std::string> RestaurarCopia(const fs::path& carpeta, const fs::path& trabajo);

}  // namespace trasvelo::core
