#pragma once

#include <functional>

namespace trasvelo::test {

// Runs `body` in a forked child and returns its exit status (or 128 + the
// signal that ended it). `body` returns the child's exit status.
int RunInChild(const std::function<int()>& body);

// The same with the child's file-size limit set to `bytes` and SIGXFSZ
// ignored, so that a write past the limit fails with EFBIG as on a full disk.
int RunWithFileSizeLimit(long bytes, const std::function<int()>& body);

}  // namespace trasvelo::test
