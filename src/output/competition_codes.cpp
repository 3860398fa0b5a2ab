#include "output/competition_codes.h"

#include <string>
#include <string_view>

#include "base/windows1252.h"

namespace scenario {

namespace {

constexpr std::string_view kPad = "zzvvuuttssrrqqppnnmmllhhgg";
constexpr int kKeyLength = 25;

// Lower case in the Windows-1252 code page: A-Z, the Latin-1 capitals and the
// four capitals of 0x80-0x9F that have a small letter in the page.
unsigned char lower(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A:
      return 0x9A;  // S caron
    case 0x8C:
      return 0x9C;  // OE
    case 0x8E:
      return 0x9E;  // Z caron
    case 0x9F:
      return 0xFF;  // Y diaeresis
    default:
      return c;
  }
}

// The key's first 25 character codes.
std::string key_codes(TrackModel& model) {
  std::string key =
      to_windows1252(model.voce_at(voce::intestazione_treno).testo + model.voce_at(voce::intestazione_linea).testo);
  for (char& c : key) c = static_cast<char>(lower(static_cast<unsigned char>(c)));
  key += kPad;
  model.riga = from_windows1252(key);
  return key.substr(0, kKeyLength);
}

}  // namespace

int16_t codice_gara_og(TrackModel& model) {
  int16_t sum = 0;
  for (char c : key_codes(model)) sum = static_cast<int16_t>(sum + static_cast<unsigned char>(c));
  return sum;
}

int32_t codice_gara_st(TrackModel& model) {
  const std::string codes = key_codes(model);
  int32_t sum = 0;
  for (int i = 1; i <= kKeyLength; ++i) sum += i * static_cast<unsigned char>(codes[static_cast<std::size_t>(i - 1)]);
  return sum;
}

}  // namespace scenario
