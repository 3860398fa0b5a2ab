#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::running {

// What the train source file does not say about the train and a run needs:
// masses, lengths, tractive effort and power, running resistance, the
// maximum speed. A rolling-stock description gives them; the built-in
// catalogue holds generic stock, and an author may give their own.
//
// The train is `cars` cars (the train file's "numero vetture") behind a
// locomotive of `locomotive_mass` (0 for a multiple unit, whose cars carry
// their own motors). Running resistance, in kN at v km/h:
//   R(v) = m (resistance_a + resistance_b v) / 1000 + (resistance_c + cars resistance_c_per_car) v^2 / 1000
// with m the train's mass in tonnes, A in N/t, B in N/t per km/h, C in N per (km/h)^2.
struct RollingStock {
  std::string id;    // "electric-locomotive-coaches"
  std::string name;  // for a person

  double locomotive_mass = 0;    // t
  double locomotive_length = 0;  // m
  double car_mass = 0;           // t per car, with its load
  double car_length = 0;         // m per car
  double powered_car_share = 0;  // share of the cars' mass on driven axles (0 behind a locomotive)

  double max_speed = 0;                // km/h
  double max_tractive_effort = 0;      // kN at the wheel, from standstill: the locomotive's
  double power = 0;                    // kW at the wheel: the locomotive's
  double tractive_effort_per_car = 0;  // kN, each car of a multiple unit
  double power_per_car = 0;            // kW, each car of a multiple unit

  double resistance_a = 0;          // N/t
  double resistance_b = 0;          // N/t per km/h
  double resistance_c = 0;          // N per (km/h)^2, the head of the train
  double resistance_c_per_car = 0;  // N per (km/h)^2, each car
  double rotating_mass_factor = 1;  // the train's inertia over its mass
  double service_brake_share = 1;   // share of the braking the braked-mass percentage stands for

  // Where each value comes from: value name, then its source.
  std::vector<std::pair<std::string, std::string>> sources;

  bool operator==(const RollingStock&) const = default;
};

// The built-in catalogue.
std::span<const RollingStock> rolling_stock_catalogue();
const RollingStock* find_rolling_stock(std::string_view id);

// The stock a train is run with when none is given: a multiple unit for a
// braked-mass percentage of 140 or more (what disc and dynamic brakes give a
// multiple unit), a locomotive with coaches otherwise.
const RollingStock& default_rolling_stock(int32_t cars, int32_t braked_mass_percentage);

// What is wrong with a description, one line a fault; none when it can be
// run with.
std::vector<std::string> rolling_stock_faults(const RollingStock& stock);

}  // namespace scenario::running
