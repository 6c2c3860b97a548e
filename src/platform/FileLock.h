#pragma once

// Open-file-description locks over a whole file. Unlike classic POSIX locks
// they belong to the open file, not to the process: closing another handle of
// the same file keeps them, and two handles in one process exclude each other
// as two programs do. They conflict with the byte-range locks that a Windows
// program under Wine takes.
namespace trasvelo::platform::lock {

enum class Kind { Shared, Exclusive };

// Takes a read (shared) or write (exclusive) lock on `fd`'s whole file,
// without waiting. False when another open file holds a conflicting lock;
// -errno for another failure; 1 when taken.
int TryLock(int fd, Kind kind);

// Whether another open file holds a lock that an exclusive lock would meet.
// False also when the question cannot be asked.
bool HeldElsewhere(int fd);

}  // namespace trasvelo::platform::lock
