#include "largest_line.h"

#include <string>

#include "base/file_names.h"
#include "base/replace_file.h"

namespace scenario::bench {

namespace {

constexpr int kLength = 1000000;
constexpr int kStations = 39;  // with 39 signs: the most the scenario table holds
constexpr int kSigns = 39;
constexpr int kStationSpacing = 25000;

std::string line_source() {
  std::string s;
  s += "[generale]\r\n";
  s += "lunghezza percorso,    " + std::to_string(kLength) + "\r\n";
  s += "progressiva chilometrica uno,    0,    90000,    1\r\n";
  s += "progressiva chilometrica due,    1500,    -1500,    0\r\n";
  s += "progressiva chilometrica tre,    0,    0,    0\r\n";
  s += "sfondo uno,    1\r\nsfondo due,    0\r\nsfondo tre,    0\r\n";
  s += "ripetizione segnali 4 codici,    0    ,0\r\n";

  // Curves of classes 1 to 6 in turn, left and right, 600 m of curve in every
  // kilometre; the plan may not run past metre 1,000,000 inside a curve.
  s += "[curve]\r\n";
  for (int km = 0, k = 0; km * 1000 + 900 < kLength; ++km, ++k) {
    const int klass = 1 + k % 6;
    const char side = k % 2 == 0 ? 's' : 'd';
    s +=
        "curva" + std::string(1, side) + std::to_string(klass) + ",  " + std::to_string(km * 1000 + 200) + ",  600\r\n";
  }
  s += "[pendenze]\r\n";
  for (int p = 0, k = 0; p <= kLength; p += 500, ++k) {
    s += "pendenza,  " + std::to_string(p) + ",   " + std::to_string(k % 19 - 9) + "\r\n";
  }
  s += "[montagne]\r\nmontagna,   8700,  11050,  11\r\n";
  s += "[cartelli]\r\n";
  s += "[indicazioni]\r\n";
  for (int i = 0; i < kSigns; ++i) {
    s += "cartello_indicatore,  " + std::to_string(kStationSpacing * i + 5200) + ",   (PL km)(" + std::to_string(i) +
         "+200)\r\n";
  }
  s += "[fine]\r\n";
  return s;
}

std::string train_source() {
  std::string s;
  s += "[generale]\r\nnumero vetture,    4\r\npercentuale massa frenata,    120\r\n";
  s += "sabbia,    300\r\norologio,    13              57            40 \r\n";
  s += "[aderenze]\r\naderenza,   0,    100\r\n";
  s += "[vel_limite]\r\n";
  for (int p = 0, k = 0; p < kLength; p += 10000, ++k) {
    s += "velocita,    " + std::to_string(p) + ",   " + std::to_string(k % 2 == 0 ? 135 : 110) + "\r\n";
  }
  s += "[stazioni]\r\n";
  for (int i = 0; i < kStations; ++i) {
    const int p = 12500 + kStationSpacing * i;
    s += "stazione,  " + std::to_string(p) + ",  12,  400,  0, 0, 0,  1,1,0,  4,1,1,    30,  14," +
         std::to_string(i % 60) + ", 0, STAZIONE " + std::to_string(i + 1) + "\r\n";
  }
  s += "[segnali]\r\n";
  for (int p = 3000; p < kLength; p += 2000) {
    s += "segnale,    " + std::to_string(p) + ",   2, 4, 0,  0, 0,    0,  0,0,0, 210\r\n";
  }
  s += "[fine]\r\n";
  return s;
}

}  // namespace

void write_largest_line_sources(const std::filesystem::path& folder, const std::string& nome_linea,
                                const std::string& numero_treno) {
  const FileNames names{nome_linea, numero_treno};
  replace_file(in_folder(folder, names.line_source()), line_source());
  replace_file(in_folder(folder, names.train_source()), train_source());
}

}  // namespace scenario::bench
