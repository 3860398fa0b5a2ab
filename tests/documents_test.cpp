// The driver's three documents: the timetable card, the slowdown order and
// the notes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "base/file_names.h"
#include "base/run_time_failure.h"
#include "base/windows1252.h"
#include "sources/text_cells.h"
#include "sources/text_writers.h"
#include "support/temp_folder.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;

using Writer = void (*)(const fs::path&, const TrackModel&);

TrackModel model_named(const std::string& nome_linea, const std::string& numero_treno) {
  TrackModel model;
  model.nome_linea = nome_linea;
  model.numero_treno = numero_treno;
  return model;
}

// Splits a file's bytes into lines, expecting every line to end in CR LF
// and no CR or LF anywhere else.
std::vector<std::string> crlf_lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "last line has no CR LF: \"" << bytes.substr(start) << "\"";
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos) << "line " << lines.size();
    start = end + 2;
  }
  return lines;
}

// Writes one document of the build Corvalle_Brinta / 24817 in a fresh folder
// and returns its lines, converted to UTF-8.
std::vector<std::string> written_lines(Writer write, std::string (FileNames::*name)() const) {
  testing::TempFolder folder;
  write(folder.path(), model_named("Corvalle_Brinta", "24817"));
  const std::string bytes = testing::read_file(folder / (FileNames{"Corvalle_Brinta", "24817"}.*name)());
  EXPECT_EQ(bytes.find("riferimento fine del file"), std::string::npos);
  std::vector<std::string> lines = crlf_lines(bytes);
  for (std::string& line : lines) line = from_windows1252(line);
  return lines;
}

void expect_lines(const std::vector<std::string>& actual, const std::vector<std::string>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(actual[i], expected[i]) << "line " << i + 1;
}

// Lines `first` to `last` (1-based) are grid lines of `width` characters
// with "|" exactly in `bars` (1-based columns).
void expect_grid(const std::vector<std::string>& lines, std::size_t first, std::size_t last, std::size_t width,
                 const std::set<std::size_t>& bars) {
  ASSERT_GE(lines.size(), last);
  for (std::size_t n = first; n <= last; ++n) {
    const std::string& line = lines[n - 1];
    EXPECT_EQ(line.size(), width) << "line " << n;
    std::set<std::size_t> found;
    for (std::size_t c = 0; c < line.size(); ++c) {
      if (line[c] == '|') found.insert(c + 1);
    }
    EXPECT_EQ(found, bars) << "line " << n << ": " << line;
  }
}

TEST(TimetableCard, IsWrittenLineByLineWithItsGridAligned) {
  const std::string empty_row = " |     |     |          |     |                            |                |     |";
  const std::string rule = " |_____|_____|__________|_____|____________________________|________________|_____|";
  std::vector<std::string> expected = {
      "",
      "",
      "  ___________________                                               ______________",
      " |                   |                    SCHEDA                   |              |",
      " |   TRENO n.24817   |                  da: Corvalle               |    V160 B    |",
      " |___________________|                   a: Salvarena              |    120 %     |",
      "                                                                   |______________|",
      "  ___________________                ___________________",
      " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
      " |       REG         |              |      350T         |",
      " |___________________|              |___________________|",
      "",
      "  ________________________________________________________________________________",
      " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
      " | Lim.|Marc.|          |  Rs |                            |                |     |",
      rule,
      " |  80 |     |   90.000 |     | CORVALLE                   |         13.53  |     |",
      " | 135 |     |     0.000|     | cippo km 0.000             |                |     |",
      " |     |     |     6.600|     | VALDIRONE                  | 14.02 - 14.03  |     |",
      " |     |     |    12.400|     | CASTELBRUNO                | 14.08 - 14.09  | 0.5 |",
      " |     |     |    18.600|     | ROCCAVENTA                 | 14.13 - 14.14  |  1  |",
      " |     |     |    24.450|     | BORGOLIVO                  | 14.18 - 14.19  |  1  |",
      " |     |     |    28.950|     | SERRAMONDA                 | 14.23 - 14.24  | 0.5 |",
      " |     |     |    36.050|     | CAMPOLENTO                 | 14.30 - 14.31  | 1.5 |",
      " | 110 |     |          |     | Seg. protezione Fonteriva  |                |     |",
      " |     |     |    40.800|     | FONTERIVA                  | 14.36 - 14.38  | 0.5 |",
      " | 135 |     |          |     | Deviatoio uscita Fonteriva |                |     |",
      " |     |     |    46.150|     | ORTAVELLA                  | 14.42 - 14.43  | 0.5 |",
      " |     |     |    48.600|     | SPINAROLA                  | 14.45 - 14.46  | 0.5 |",
      " |     |     |    53.000|     | BELMONTINO                 | 14.50 - 14.51  | 0.5 |",
      " |     |     |    56.800|     | POGGIOSECCO                | 14.55 - 14.56  |     |",
      " |  80 |     |          |     | Seg. protezione SALVARENA  |                |     |",
      " |     |     |    65.050|     | SALVARENA                  | 15.03          | 0.5 |",
  };
  expected.insert(expected.end(), 14, empty_row);
  expected.insert(expected.end(), {rule, "", "", "", " "});

  const auto lines = written_lines(dati_scheda, &FileNames::timetable_card);
  expect_lines(lines, expected);
  expect_grid(lines, 14, 48, 83, {2, 8, 14, 25, 31, 60, 77, 83});
  // The identity box: both colons in column 43, both names from column 45.
  ASSERT_EQ(lines.size(), 52u);
  EXPECT_EQ(lines[4].substr(40, 12), "da: Corvalle");
  EXPECT_EQ(lines[5].substr(41, 13), "a: Salvarena ");
}

TEST(SlowdownOrder, IsWrittenLineByLineWithItsGridAlignedAndTheLegendInOrderABDC) {
  const std::string empty_row = " |   |                            |            |          |         |            |";
  const std::string rule = " |___|____________________________|____________|__________|_________|____________|";
  std::vector<std::string> expected = {
      "",
      "                               Modulo M. 3",
      "                           ORDINE DI RALLENTAMENTO",
      " ________________________________________________________________________________",
      "  Linea  CORVALLE - BRINTA",
      "",
      "  Si ordina al macchinista del treno 24817 di effettuare i seguenti rallentamenti",
      "  _______________________________________________________________________________",
      " |   |                            |Inizio dopo |          |         |            |",
      " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
      " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
      rule,
      // Numbers centred, an odd free space leaving the extra space on the right.
      " | 1 | CORVALLE - CASTELBRUNO     |     8      |    50    |   400   |   - - -    |",
  };
  expected.insert(expected.end(), 25, empty_row);
  expected.insert(expected.end(), {
                                      rule,
                                      "",
                                      "              Prescrizioni specifiche",
                                      " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
                                      " B - Interessa anche la stazione di.......",
                                      " D - Rallentamneto N. ... e N. ...  sono contigui",
                                      " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
                                      "     i giorni esclusi i seguenti:.........",
                                  });

  const auto lines = written_lines(dati_rallentamenti, &FileNames::slowdown_order);
  expect_lines(lines, expected);
  expect_grid(lines, 9, 39, 82, {2, 6, 35, 48, 59, 69, 82});
}

TEST(Notes, AreWrittenLineByLine) {
  const std::vector<std::string> expected = {
      "Caratteristiche della linea CORVALLE-SALVARENA-BRINTA",
      "",
      "Trazione elettrica intera tratta.",
      "Doppio binario da CORVALLE a ALTOPINO, binario unico da ALTOPINO ad BRINTA",
      "Sistemi di esercizio: DIRIGENZA LOCALE con",
      "Blocco Automatico a correnti fisse con segnalamento a due aspetti da CORVALLE a CASTELBRUNO",
      "Blocco Elettrico Manuale da CASTELBRUNO a SERRAMONDA",
      "Blocco Automatico Conta Assi da SERRAMONDA a SPINAROLA",
      "Blocco Elettrico Manuale da SPINAROLA a SALVARENA",
      "Blocco Automatico a correnti fisse da SALVARENA a ALTOPINO",
      "Blocco Automatico Conta Assi da ALTOPINO ad LUCIGNOLA",
      "Bolcco Elettrico Manuale da LUCIGNOLA a BRINTA",
      "Non è attiva la Ripetizione Segnali",
      "Tutte le STAZIONI sono munite di doppio segnalamento di protezione e partenza.",
      "FONTERIVA: la limitazione di velocità a 60 km/h dovuta a caratteristiche di tracciato in ",
      "ingresso/uscita lato Corvalle viene fornita con l'aspetto dei segnali.",
      "LUCIGNOLA: la limitazione di velocità a 30 km/h dovuta a caratteristiche di tracciato in",
      "ingresso/uscita lato Salvarena viene fornita con l'aspetto dei segnali.",
      "Le stazioni di CORVALLE e FONTERIVA sono dotate di segnali di protezione anche in",
      "arrivo dal binario illegale (impianti 'tipo B' OS 17/1981).",
      "FERMATE presenziate protette da segnali:",
      "VALDIRONE, segnali di PBA hanno anche funzione di protezione della fermata,",
      "BORGOLIVO, posto di blocco intermedio manuale munito di doppio segnalamento (ex stazione),",
      "CAMPOLENTO, segnali di PBI BCA hanno anche funzione di protezione della fermata,",
      "ORTAVELLA, segnali di protezione della fermata che non influiscono sul distanziamento,",
      "POGGIOSECCO, posto di blocco intermedio manuale, i segnali proteggono la fermata.",
      "POSTO DI MOVIMENTO CROCEMORA, telecomandato da ALTOPINO, munito di binario di incrocio e doppio segnalamento.",
      "VIGNALTA, ROSSOLENGO, FOSSAROLO, PIEVELUNGA sono fermate impresenziate ",
      "non munite di segnali.",
      "Esistono 42 passaggi a livello tutti indicati nella simulazione.",
      "Sono indicate le linee afferenti come diramazioni/confluenze.",
      "I cartelli indicatori di velocità massima non sono presenti in realtà.",
      "Situata tra Valdorsa e Pianalta, la linea è parte integrante della direttrice ",
      "PORTOSALE-MONTEGRANA.",
      "Il tracciato attraversa la pianura della Bassa Ferrina, i tratti estremi presentano leggere pendenze.",
      "",
      "",
      "",
      "Caratteristiche del treno 24817:",
      "",
      "Regionale CORVALLE-SALVARENA, l'orario prevede una 656 ma attualmente è in 'turno 424'.",
      "Il treno percorre solo il tratto sud della linea CORVALLE-BRINTA.",
      "La marcia è a tratti perturbata da problemi dovuti ai passaggi a raso in funzione del ",
      "servizio viaggiatori dei treni in senso opposto.",
      "",
      "",
      "GRUPPO SCENARI BINARIO UNICO",
      "VILLAFERRATA",
      "scenari@example.org ",
  };
  expect_lines(written_lines(dati_note, &FileNames::notes), expected);
}

TEST(Notes, WriteAccentsAsSingleWindows1252BytesAndKeepTrailingSpaces) {
  testing::TempFolder folder;
  dati_note(folder.path(), model_named("Corvalle_Brinta", "24817"));
  const std::string bytes = testing::read_file(folder / "Corvalle_Brinta_24817_note.txt");

  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\xE8'), 4);  // è
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\xE0'), 4);  // à
  EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](char c) { return c != '\xC3' && c != '?'; }));

  const std::vector<std::string> lines = crlf_lines(bytes);
  const std::set<std::size_t> ending_in_space = {15, 28, 33, 43, 49};
  for (std::size_t n = 1; n <= lines.size(); ++n) {
    const bool ends_in_space = !lines[n - 1].empty() && lines[n - 1].back() == ' ';
    EXPECT_EQ(ends_in_space, ending_in_space.contains(n)) << "line " << n;
  }
}

// Each document replaces an older, longer file of its name, and the build's
// line name and train number change its file name only.
TEST(Documents, ReplaceAnOlderFileAndTakeOnlyTheirNameFromTheBuild) {
  struct Case {
    Writer write;
    std::string (FileNames::*name)() const;
  };
  for (const Case& c : {Case{dati_scheda, &FileNames::timetable_card},
                        Case{dati_rallentamenti, &FileNames::slowdown_order}, Case{dati_note, &FileNames::notes}}) {
    testing::TempFolder reference;
    c.write(reference.path(), model_named("Corvalle_Brinta", "24817"));
    const std::string document = testing::read_file(reference / (FileNames{"Corvalle_Brinta", "24817"}.*c.name)());

    testing::TempFolder folder;
    const fs::path file = folder / (FileNames{"Altra_Linea", "1"}.*c.name)();
    testing::write_file(file, std::string(20000, 'x'));
    c.write(folder.path(), model_named("Altra_Linea", "1"));
    EXPECT_EQ(testing::read_file(file), document) << file;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1) << file;
  }
}

TEST(TextCells, AlignAndCentreWithinTheirWidth) {
  struct Case {
    std::string actual;
    std::string expected;
  };
  for (const Case& c : {
           Case{centred("8", 12), "     8      "},  // odd free space: the extra one to the right
           Case{centred("50", 10), "    50    "},
           Case{centred("", 5), "     "},
           Case{centred("abc", 3), "abc"},
           Case{left_aligned(" ROMA", 8), " ROMA   "},
           Case{right_aligned("6.600", 10), "     6.600"},
           Case{grid_row(std::vector<std::size_t>{2, 3}, {"ab", "cde"}), " |ab|cde|"},
       }) {
    EXPECT_EQ(c.actual, c.expected);
  }
  // A text too wide for its cell would shift every "|" after it.
  EXPECT_THROW(centred("12345", 4), RunTimeFailure);
  EXPECT_THROW(left_aligned("12345", 4), RunTimeFailure);
  EXPECT_THROW(grid_row(std::vector<std::size_t>{2, 3}, {"ab", "cd"}), RunTimeFailure);
}

}  // namespace
}  // namespace scenario
