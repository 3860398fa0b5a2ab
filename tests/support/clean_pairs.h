#pragma once

// Random source pairs for the decompiler's round trip: a small line with
// gradients, curves, boards and signs, and a train whose slowdowns start at
// any metre, with every combination of their flags and second speed, among
// signals and stations. Many pairs do not compile clean (two objects in one
// cell); those that do must decompile into sources that compile back byte
// for byte. The same seed gives the same pair on every platform.
#include <cstdint>
#include <string>
#include <vector>

namespace scenario::testing {

struct SourcePair {
  std::string line;
  std::string train;
};

// A small generator of its own (xorshift), so that no library's
// distributions decide the pairs.
class PairRandom {
 public:
  explicit PairRandom(uint32_t seed) : state_(seed * 2654435761u + 1u) {}
  uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  // From `low` to `high`, both included.
  int32_t in(int32_t low, int32_t high) {
    return low + static_cast<int32_t>(next() % static_cast<uint32_t>(high - low + 1));
  }
  bool chance(int percent) { return in(1, 100) <= percent; }

 private:
  uint32_t state_;
};

inline std::string pair_lines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& l : lines) bytes += l + "\r\n";
  return bytes;
}

inline SourcePair random_clean_pair_candidate(uint32_t seed) {
  PairRandom r(seed);
  const int32_t length = 1000 * r.in(3, 12);
  const auto n = [](int64_t v) { return std::to_string(v); };

  std::vector<std::string> line = {"[generale]", "lunghezza percorso,    " + n(length)};
  line.push_back("[curve]");
  for (int32_t at = r.in(0, 800); at < length; at += r.in(400, 3000)) {
    const int32_t l = r.in(50, 600);
    line.push_back(std::string(r.chance(50) ? "curvas" : "curvad") + n(r.in(1, 6)) + ",  " + n(at) + ",  " + n(l));
    at += l;
  }
  line.push_back("[pendenze]");
  line.push_back("pendenza,  0,   " + n(r.in(-10, 10)));
  for (int32_t at = r.in(500, 2000); at < length; at += r.in(500, 3000)) {
    line.push_back("pendenza,  " + n(at) + ",   " + n(r.in(-20, 20)));
  }
  line.push_back("[cartelli]");
  for (int i = r.in(0, 3); i > 0; --i) {
    line.push_back("indicatori_vmax,  " + n(r.in(2, length / 50) * 50) + ",  " + n(5 * r.in(10, 30)) + ",  " +
                   n(5 * r.in(10, 30)) + ",  " + n(5 * r.in(10, 30)) + ",  " + n(r.in(0, 2)) + ",  ,  ,  ,  0");
  }
  line.push_back("[indicazioni]");
  for (int i = r.in(0, 2); i > 0; --i) {
    line.push_back("cartello_indicatore,  " + n(r.in(2, length / 50) * 50) + ",   (km " + n(i) + ")");
  }
  line.push_back("[fine]");

  std::vector<std::string> train = {"[generale]", "numero vetture,    4", "velocita,  0,  100", "aderenza,  0,  90"};
  train.push_back("[stazioni]");
  if (r.chance(50)) {
    train.push_back("stazione,    " + n(r.in(20, length / 100) * 50) +
                    ", 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   30,  14, 9, 0, PRIMA");
  }
  // Slowdowns of every start (any metre, below and above 1500), with and
  // without each flag and a second speed; lengths of any metre, backwards too.
  train.push_back("[rallentamenti]");
  for (int i = r.in(1, 4); i > 0; --i) {
    const int32_t x = r.chance(20) ? r.in(1300, 1700) : r.in(0, length);
    const int32_t l = r.chance(10) ? -r.in(0, 1300) : r.in(0, 2000);
    const int32_t d_v = r.chance(50) ? 0 : 5 * r.in(1, 20);
    train.push_back("rallentamento,   " + n(x) + ",    " + n(5 * r.in(2, 30)) + ",  " + n(l) + ", " + n(r.in(0, 1)) +
                    ",  " + n(r.in(0, 1)) + ",  " + n(d_v));
  }
  train.push_back("[segnali]");
  for (int i = r.in(0, 4); i > 0; --i) {
    train.push_back("segnale,    " + n(r.in(7, length / 50) * 50) + ",   " + n(r.in(1, 2)) + ", " + n(r.in(0, 9)) +
                    ", " + n(r.in(0, 9)) + ",  0, 0,    " + n(r.in(0, 2)) + ",  " + n(r.in(0, 9)) + ",0,0, " +
                    n(r.chance(50) ? 0 : r.in(101, 255)));
  }
  train.push_back("[codici]");
  if (r.chance(30)) train.push_back("abbattimento,  " + n(r.in(2, length / 50) * 50) + ",  " + n(r.in(0, 200)));
  train.push_back("[fine]");
  return {pair_lines(line), pair_lines(train)};
}

}  // namespace scenario::testing
