#include "core/ListaCodigos.h"

#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Text1252.h"

namespace trasvelo::core {
namespace {

using platform::Utf8To1252;

struct Caso {
  const char* nombre;
  Comparacion comparacion;
  bool acortar;
  std::vector<std::string> bases;    // UTF-8
  std::vector<std::string> codigos;  // UTF-8
};

std::vector<std::string> Asignar(ListaCodigos& lista, const std::vector<std::string>& bases) {
  std::vector<std::string> codigos;
  for (const auto& base : bases) {
    codigos.push_back(platform::Cp1252ToUtf8(lista.Asignar(Utf8To1252(base))));
  }
  return codigos;
}

TEST(ListaCodigos, GivesTheFirstFreeCandidate) {
  const std::vector<Caso> casos = {
      {"eleven units of nine characters",
       Comparacion::SinMayusculas,
       true,
       std::vector<std::string>(11, "ABCDEFGHI"),
       {"ABCDEFGHI", "ABCDEFGHI1", "ABCDEFGHI2", "ABCDEFGHI3", "ABCDEFGHI4", "ABCDEFGHI5",
        "ABCDEFGHI6", "ABCDEFGHI7", "ABCDEFGHI8", "ABCDEFGHI9", "ABCDEFGH10"}},
      {"a ten-character group code twice",
       Comparacion::SinMayusculas,
       true,
       {"1BACHILLEA", "1BACHILLEA"},
       {"1BACHILLEA", "1BACHILLA1"}},
      // The candidate is tested in its shortened form: the third does not
      // repeat the second's code.
      {"a ten-character group code three times",
       Comparacion::SinMayusculas,
       true,
       {"1BACHILLEA", "1BACHILLEA", "1BACHILLEA"},
       {"1BACHILLEA", "1BACHILLA1", "1BACHILLA2"}},
      {"three subjects with one ten-character code",
       Comparacion::Exacta,
       true,
       {"EDUCACINFS", "EDUCACINFS", "EDUCACINFS"},
       {"EDUCACINFS", "EDUCACINS1", "EDUCACINS2"}},
      {"groups ignore case",
       Comparacion::SinMayusculas,
       true,
       {"2ESOB", "2esob"},
       {"2ESOB", "2esob1"}},
      {"teachers ignore case, also of accented letters",
       Comparacion::SinMayusculas,
       true,
       {"GLA", "GLA", "gla", "ÁÑO", "áño"},
       {"GLA", "GLA1", "gla2", "ÁÑO", "áño1"}},
      {"subjects compare exactly",
       Comparacion::Exacta,
       true,
       {"Música", "MÚSICA", "música"},
       {"Música", "MÚSICA", "música"}},
      {"rooms are not shortened",
       Comparacion::SinMayusculas,
       false,
       {"AULAMAGNA01", "AULAMAGNA01", "101", "101", "A7", "a7"},
       {"AULAMAGNA01", "AULAMAGNA011", "101", "1011", "A7", "a71"}},
      {"rooms named from their first six characters",
       Comparacion::SinMayusculas,
       false,
       {"Aula 1", "Aula 1", "Aula 1"},
       {"Aula 1", "Aula 11", "Aula 12"}},
      {"empty codes count up", Comparacion::SinMayusculas, true, {"", "", ""}, {"", "1", "2"}},
      // A numbered code given as a base of its own blocks the counter later.
      {"a base that is another base's candidate",
       Comparacion::Exacta,
       true,
       {"AB1", "AB", "AB", "AB2", "AB"},
       {"AB1", "AB", "AB2", "AB21", "AB3"}},
      {"bases equal but for case share their counter",
       Comparacion::SinMayusculas,
       true,
       {"ab", "AB", "Ab", "aB"},
       {"ab", "AB1", "Ab2", "aB3"}},
  };
  for (const auto& caso : casos) {
    ListaCodigos lista(caso.comparacion, caso.acortar);
    EXPECT_EQ(Asignar(lista, caso.bases), caso.codigos) << caso.nombre;
  }
}

TEST(ListaCodigos, KeepsItsCodesInAGivenSet) {
  ConjuntoTexto conjunto = {"LCL"};
  ListaCodigos lista(conjunto, /*acortar=*/true);
  EXPECT_EQ(lista.Asignar("LCL"), "LCL1");
  EXPECT_EQ(lista.Asignar("lcl"), "lcl");  // a given set compares exactly
  EXPECT_EQ(conjunto, (ConjuntoTexto{"LCL", "LCL1", "lcl"}));
}

TEST(ListaCodigos, ShortensToFirstEightAndLastTwo) {
  EXPECT_EQ(AcortarCodigo("ABCDEFGHIJ"), "ABCDEFGHIJ");
  EXPECT_EQ(AcortarCodigo("ABCDEFGHI10"), "ABCDEFGH10");
  EXPECT_EQ(AcortarCodigo("EDUCACINFS123"), "EDUCACIN23");
  EXPECT_EQ(AcortarCodigo(""), "");
}

// A ten-character base has only 110 shortened forms (the base, 1 to 9 in
// its tenth place, then 10 to 99 and 00 to 09 in the last two): later ones
// take the counter in place of the base's end, and the search ends.
TEST(ListaCodigos, ManyCodesFromOneTenCharacterBase) {
  ListaCodigos lista(Comparacion::Exacta, true);
  std::vector<std::string> codigos;
  for (int i = 0; i < 130; ++i) {
    codigos.push_back(lista.Asignar("EDUCACINFS"));
  }
  EXPECT_EQ(codigos[9], "EDUCACINS9");
  EXPECT_EQ(codigos[10], "EDUCACIN10");
  EXPECT_EQ(codigos[99], "EDUCACIN99");
  EXPECT_EQ(codigos[100], "EDUCACIN00");
  EXPECT_EQ(codigos[109], "EDUCACIN09");
  EXPECT_EQ(codigos[110], "EDUCAC1000");
  EXPECT_EQ(codigos[129], "EDUCAC1019");
  EXPECT_EQ(std::unordered_set<std::string>(codigos.begin(), codigos.end()).size(), codigos.size());
  // A short base needs no shortening there: the counter is appended as ever.
  ListaCodigos corta(Comparacion::Exacta, true);
  std::string ultimo;
  for (int i = 0; i < 1200; ++i) {
    ultimo = corta.Asignar("AB");
  }
  EXPECT_EQ(ultimo, "AB1199");
}

// The rule as first written: candidates are tested before they are
// shortened, so a candidate of eleven characters or more is always taken.
std::vector<std::string> ReglaSinCorregir(const std::vector<std::string>& bases) {
  std::unordered_set<std::string> dados;
  std::vector<std::string> codigos;
  for (const auto& base : bases) {
    std::string candidato = base;
    for (int n = 1; dados.contains(candidato); ++n) {
      candidato = base + std::to_string(n);
    }
    candidato = AcortarCodigo(candidato);
    dados.insert(candidato);
    codigos.push_back(candidato);
  }
  return codigos;
}

// Many random runs of colliding bases of 8 to 10 characters: the codes are
// always unique, and wherever the first rule already gave unique codes they
// are the same codes.
TEST(ListaCodigos, UniqueAndUnchangedWhereTheFirstRuleWasUnique) {
  std::mt19937 azar(20260915);
  const std::vector<std::string> raices = {"ABCDEFGH",  "ABCDEFGHI", "ABCDEFGHIJ",
                                           "ABCDEFGHJ", "ABCDEFGH1", "ABCDEFGHI1"};
  int sinCambio = 0;
  for (int ronda = 0; ronda < 300; ++ronda) {
    std::vector<std::string> bases;
    const int n = 1 + static_cast<int>(azar() % 40);
    for (int i = 0; i < n; ++i) {
      bases.push_back(raices[azar() % raices.size()]);
    }
    ListaCodigos lista(Comparacion::Exacta, true);
    std::vector<std::string> codigos;
    for (const auto& base : bases) {
      codigos.push_back(lista.Asignar(base));
    }
    const std::unordered_set<std::string> distintos(codigos.begin(), codigos.end());
    ASSERT_EQ(distintos.size(), codigos.size()) << "round " << ronda;
    const auto antes = ReglaSinCorregir(bases);
    if (std::unordered_set<std::string>(antes.begin(), antes.end()).size() == antes.size()) {
      EXPECT_EQ(codigos, antes) << "round " << ronda;
      ++sinCambio;
    }
  }
  EXPECT_GT(sinCambio, 0);  // the comparison above did happen
}

}  // namespace
}  // namespace trasvelo::core
