#pragma once

#include <string>
#include <vector>

// The run report: what a run did not carry over, or changed on the way.
// Each notice names where it arose (a group of the exchange document or a
// table), the record (its position and key) and the reason. Texts are UTF-8;
// data of documents and tables is converted before it enters a notice.
namespace trasvelo::core {

struct Aviso {
  std::string origen;  // group or table, e.g. "MATERIAS" or "SOLUC"
  int registro = 0;    // 1-based position in the group or table; 0 when none
  std::string clave;   // the record's key, when it has one
  std::string motivo;  // what happened to it

  bool operator==(const Aviso&) const = default;
};

class Informe {
 public:
  void Anotar(std::string origen, int registro, std::string clave, std::string motivo);

  const std::vector<Aviso>& Avisos() const { return avisos_; }
  bool Vacio() const { return avisos_.empty(); }
  void Vaciar() { avisos_.clear(); }

  // One notice per line, each line ended by a line feed: "MATERIAS,
  // registro 3, clave 'M1': reason". Line breaks and tabs inside a value are
  // written as blanks, so a notice never spans two lines.
  std::string Texto() const;
  // The notices as CSV (RFC 4180): a header row "origen,registro,clave,motivo",
  // then one row per notice; lines end in CR LF, and a value holding a comma,
  // a quote or a line break is quoted, its quotes doubled. A registro of 0 is
  // left empty.
  std::string Csv() const;

  // One notice as a line of Texto(), without the line feed.
  static std::string Linea(const Aviso& aviso);

 private:
  std::vector<Aviso> avisos_;
};

}  // namespace trasvelo::core
