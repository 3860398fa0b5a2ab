#include "compiler/model_names.h"

#include <cstdio>

#include "compiler/cell_rules.h"
#include "compiler/track_model.h"

namespace scenario {

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
  return static_cast<int32_t>(boundary ? boundary_progressive(cell) : object_progressive(cell));
}

std::string clock_text(int32_t seconds) {
  const bool negative = seconds < 0;
  const int64_t s = negative ? -int64_t{seconds} : int64_t{seconds};
  char text[32];
  std::snprintf(text, sizeof text, "%s%02lld:%02lld:%02lld", negative ? "-" : "", static_cast<long long>(s / 3600),
                static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  return text;
}

}  // namespace scenario
