#pragma once

#include <filesystem>
#include <string_view>

namespace trasvelo::platform {

// Replaces `target` with `bytes` so that a reader sees either the old file
// or the whole new one: write a temporary file in the same folder, fsync it,
// rename it over the target, fsync the folder. On failure the temporary file
// is removed, the old file stays as it was, and FileError names the target.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// Reads a whole file; FileError naming it when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& file);

}  // namespace trasvelo::platform
