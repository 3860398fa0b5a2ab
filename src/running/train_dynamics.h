#pragma once

#include <cstdint>

#include "running/rolling_stock.h"

namespace scenario::running {

inline constexpr double kGravity = 9.81;  // m/s^2

// The braking a braked-mass percentage stands for. By its definition for
// brake position P, 80 % brakes a train from 120 km/h to a stop in 1000 m,
// a mean deceleration of (120 / 3.6)^2 / 2000 = 0.556 m/s^2, and the
// deceleration goes with the percentage: 160 % gives 1.11 m/s^2. It holds
// for the percentages from kLowestPercentage to kHighestPercentage and
// speeds up to kHighestBrakingSpeed; a percentage outside is taken at the
// nearer end.
inline constexpr double kReferencePercentage = 80;
inline constexpr double kReferenceSpeed = 120;      // km/h
inline constexpr double kReferenceDistance = 1000;  // m
inline constexpr double kLowestPercentage = 30;
inline constexpr double kHighestPercentage = 200;
inline constexpr double kHighestBrakingSpeed = 160;          // km/h
double braking_deceleration(double braked_mass_percentage);  // m/s^2, on the flat
bool percentage_in_range(double braked_mass_percentage);

// The adhesion of a wheel on dry rail at v km/h, as the share of its weight
// it can pull or brake with: mu(v) = 0.161 + 7.5 / (v + 44), 0.33 at
// standstill (the Curtius-Kniffler relation). The route's adhesion value
// scales it: 100 is dry rail.
double adhesion_coefficient(double speed_kmh, double adhesion_value);

// The extra resistance of a curve of radius `radius` m, per mille of the
// train's weight: 650 / (R - 55) for standard gauge (the Roeckl relation,
// for radii of 300 m and more; smaller radii are taken as 300 m).
double curve_resistance_permille(double radius);

// A train as a run sees it: the stock made up to the train file's cars and
// braked-mass percentage.
struct Train {
  RollingStock stock;
  int32_t cars = 0;
  double braked_mass_percentage = 0;

  double mass = 0;                 // t
  double driven_mass = 0;          // t on driven axles
  double length = 0;               // m
  double max_speed = 0;            // km/h
  double max_tractive_effort = 0;  // kN
  double power = 0;                // kW
  double deceleration = 0;         // m/s^2 of service braking on the flat

  // Forces in kN at v km/h.
  double tractive_effort(double speed_kmh, double adhesion_value) const;
  double resistance(double speed_kmh) const;
  // The acceleration in m/s^2 at full effort, on a gradient in per mille
  // (rising positive) with an extra resistance in per mille of the weight.
  double acceleration(double speed_kmh, double gradient_permille, double extra_permille, double adhesion_value) const;
  // The deceleration in m/s^2 of service braking on a gradient: a rising
  // gradient helps it by its share of g, a falling one takes it away; never
  // more than the adhesion gives.
  double braking(double speed_kmh, double gradient_permille, double adhesion_value) const;
};

Train make_train(const RollingStock& stock, int32_t cars, int32_t braked_mass_percentage);

// The braking distance in metres from v0 down to v1 km/h at a constant
// deceleration of `deceleration` m/s^2: (v0^2 - v1^2) / 2a; 0 when v1 >= v0.
double braking_distance(double v0_kmh, double v1_kmh, double deceleration);

}  // namespace scenario::running
