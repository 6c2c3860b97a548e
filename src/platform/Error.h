#pragma once

#include <stdexcept>
#include <string>

namespace trasvelo::platform {

// Where a failure happened, as far as the failing layer knows it. Empty parts
// are unknown. `file` is a path on this machine; the others are the names the
// program uses (a table "PROFT", record 12, field "ABREV").
struct ErrorPlace {
  std::string file;
  std::string table;
  long record = -1;  // 1-based position in the table or group; -1 unknown
  std::string field;
};

// Every failure of the platform layer and of the conversion is one of these.
// what() is the message shown to the user (UTF-8), complete on its own: it
// already names the file or table where that helps the user act.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message, ErrorPlace place = {})
      : std::runtime_error(message), place_(std::move(place)) {}
  const ErrorPlace& place() const { return place_; }

 private:
  ErrorPlace place_;
};

// A table of the dBase engine failed: missing, damaged, locked, bad field.
class TableError : public Error {
 public:
  using Error::Error;
};

// The XML service failed: a document could not be saved, a node misused.
class XmlError : public Error {
 public:
  using Error::Error;
};

// A text that should hold a whole number does not: "'%s' is not a valid
// integer value".
class ConversionError : public Error {
 public:
  using Error::Error;
};

// A file of the operating system could not be read or written.
class FileError : public Error {
 public:
  using Error::Error;
};

}  // namespace trasvelo::platform
