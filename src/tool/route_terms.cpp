#include "tool/route_terms.h"

#include <cstdio>

namespace scenario::tool {

namespace {

bool empty_entry(const voce_sim& e) { return e == voce_sim{}; }

// A sign text holds its text and nothing else.
bool text_only(const voce_sim& e) {
  voce_sim numbers = e;
  numbers.testo.clear();
  return !e.testo.empty() && empty_entry(numbers);
}

}  // namespace

std::string_view object_name(uint8_t tipo) {
  switch (tipo) {
    case tipo_cella::vuota:
      return "none";
    case tipo_cella::segnale:
      return "signal";
    case tipo_cella::fine_rallentamento:
      return "slowdown end";
    case tipo_cella::inizio_rallentamento:
      return "slowdown start";
    case tipo_cella::avviso_rallentamento:
      return "slowdown warning board";
    case tipo_cella::prima_avviso:
      return "before warning board";
    case tipo_cella::indicatore_v_max:
      return "maximum-speed board";
    case tipo_cella::fermata:
      return "station stop";
    case tipo_cella::segno_montagna:
      return "mountain marker";
    case tipo_cella::abbattimento_valore:
      return "speed abatement point";
    case tipo_cella::abbattimento:
      return "speed abatement point without value";
    case tipo_cella::cartello:
      return "sign board";
    default:
      return "unknown object";
  }
}

int32_t cell_progressive(int32_t cell, uint8_t tipo) {
  const bool boundary = tipo == tipo_cella::abbattimento_valore || tipo == tipo_cella::abbattimento;
  return boundary ? cell * 50 : (cell - 1) * 50;
}

std::string_view role_name(EntryRole role) {
  switch (role) {
    case EntryRole::unused:
      return "unused";
    case EntryRole::station:
      return "station";
    case EntryRole::sign_text:
      return "sign text";
    case EntryRole::free:
      return "free";
    case EntryRole::kilometre_reference:
      return "kilometre reference";
    case EntryRole::train_and_line:
      return "train and line figures";
    case EntryRole::line_header:
      return "line header";
    case EntryRole::train_header:
      return "train header";
  }
  return "unknown";
}

EntryRole entry_role(const std::array<voce_sim, kVociSim>& table, int entry) {
  if (entry == 0) return EntryRole::unused;
  if (entry >= voce::progressiva_tre && entry <= voce::progressiva_uno) return EntryRole::kilometre_reference;
  if (entry == voce::treno_e_linea) return EntryRole::train_and_line;
  if (entry == voce::intestazione_linea) return EntryRole::line_header;
  if (entry == voce::intestazione_treno) return EntryRole::train_header;
  // Sign texts run from 80 downward without a gap; the stations fill what is
  // used below them.
  int lowest_sign = voce::primo_cartello + 1;
  while (lowest_sign - 1 >= 1 && text_only(table[static_cast<std::size_t>(lowest_sign - 1)])) --lowest_sign;
  if (entry >= lowest_sign) return EntryRole::sign_text;
  return empty_entry(table[static_cast<std::size_t>(entry)]) ? EntryRole::free : EntryRole::station;
}

std::string clock_text(int32_t seconds) {
  const bool negative = seconds < 0;
  const int64_t s = negative ? -int64_t{seconds} : int64_t{seconds};
  char text[32];
  std::snprintf(text, sizeof text, "%s%02lld:%02lld:%02lld", negative ? "-" : "", static_cast<long long>(s / 3600),
                static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  return text;
}

}  // namespace scenario::tool
