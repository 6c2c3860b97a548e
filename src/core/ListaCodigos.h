#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "core/EstadoPrograma.h"

// The code lists of the import steps: the codes already given in one step.
// A code the list holds is made unique by appending 1, 2, ... in plain
// decimal; the first candidate the list does not hold is taken.
namespace trasvelo::core {

enum class Comparacion {
  Exacta,         // case-sensitive, byte for byte
  SinMayusculas,  // Windows-1252 letters in either case are equal (Á=á)
};

// A code of more than ten characters becomes its first eight followed by its
// last two ("ABCDEFGHI10" -> "ABCDEFGH10"); shorter codes are returned whole.
std::string AcortarCodigo(const std::string& codigo);

class ListaCodigos {
 public:
  // A list of its own, empty.
  ListaCodigos(Comparacion comparacion, bool acortar);
  // A list kept in `conjunto` (compared exactly), which holds the codes in
  // their final form; codes already in it count as given.
  ListaCodigos(ConjuntoTexto& conjunto, bool acortar);
  ListaCodigos(const ListaCodigos&) = delete;
  ListaCodigos& operator=(const ListaCodigos&) = delete;

  bool Contiene(std::string_view codigo) const;

  // The code given for `base`: base itself, or base followed by the first
  // counter whose candidate the list does not hold, shortened when the list
  // shortens. The candidate is tested in the form it is stored in (after
  // shortening), so every code given stays unique. From the counter 1000 on,
  // where the shortened forms only repeat earlier ones, the counter replaces
  // the end of the base ("EDUCACINFS" + 1000 -> "EDUCAC1000"), so the search
  // always ends. The code is added.
  std::string Asignar(const std::string& base);
  // Whether the last Asignar had to number its base (the base was taken).
  bool Numerado() const { return numerado_; }

 private:
  std::string Clave(std::string_view codigo) const;
  std::string Forma(std::string codigo) const;
  // base followed by the counter, in the form the list stores.
  std::string Candidato(const std::string& base, unsigned long contador) const;

  // Every counter below this one gives a code in the usual form.
  static constexpr unsigned long kContadorMaximoForma = 1000;

  Comparacion comparacion_;
  bool acortar_;
  ConjuntoTexto propio_;
  ConjuntoTexto* codigos_;
  bool numerado_ = false;
  // For each base (in the list's comparison form), the counter to try first
  // next time: every smaller counter gave a code the list held, and a list
  // only grows, so they stay taken. Keeps a long run of one base linear.
  std::unordered_map<std::string, unsigned long> siguiente_;
};

}  // namespace trasvelo::core
