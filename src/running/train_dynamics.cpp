#include "running/train_dynamics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace scenario::running {

double braking_deceleration(double braked_mass_percentage) {
  const double p = std::clamp(braked_mass_percentage, kLowestPercentage, kHighestPercentage);
  const double v = kReferenceSpeed / 3.6;
  return p / kReferencePercentage * v * v / (2 * kReferenceDistance);
}

bool percentage_in_range(double braked_mass_percentage) {
  return braked_mass_percentage >= kLowestPercentage && braked_mass_percentage <= kHighestPercentage;
}

double adhesion_coefficient(double speed_kmh, double adhesion_value) {
  return (0.161 + 7.5 / (std::max(0.0, speed_kmh) + 44)) * std::max(0.0, adhesion_value) / 100;
}

double curve_resistance_permille(double radius) { return 650 / (std::max(radius, 300.0) - 55); }

Train make_train(const RollingStock& stock, int32_t cars, int32_t braked_mass_percentage) {
  Train train;
  train.stock = stock;
  train.cars = std::max(0, cars);
  train.braked_mass_percentage = braked_mass_percentage;
  const double n = train.cars;
  train.mass = stock.locomotive_mass + n * stock.car_mass;
  train.driven_mass = stock.locomotive_mass + n * stock.car_mass * stock.powered_car_share;
  train.length = stock.locomotive_length + n * stock.car_length;
  train.max_speed = stock.max_speed;
  train.max_tractive_effort = stock.max_tractive_effort + n * stock.tractive_effort_per_car;
  train.power = stock.power + n * stock.power_per_car;
  train.deceleration = braking_deceleration(braked_mass_percentage) * stock.service_brake_share;
  return train;
}

double Train::tractive_effort(double speed_kmh, double adhesion_value) const {
  const double v = speed_kmh / 3.6;
  const double by_power = v > 0 ? power / v : std::numeric_limits<double>::infinity();
  const double by_adhesion = adhesion_coefficient(speed_kmh, adhesion_value) * driven_mass * kGravity;
  return std::min({max_tractive_effort, by_power, by_adhesion});
}

double Train::resistance(double speed_kmh) const {
  const double v = speed_kmh;
  return (mass * (stock.resistance_a + stock.resistance_b * v) +
          (stock.resistance_c + cars * stock.resistance_c_per_car) * v * v) /
         1000;
}

double Train::acceleration(double speed_kmh, double gradient_permille, double extra_permille,
                           double adhesion_value) const {
  const double weight_share = (gradient_permille + extra_permille) / 1000 * kGravity * mass;  // kN
  const double net = tractive_effort(speed_kmh, adhesion_value) - resistance(speed_kmh) - weight_share;
  return net / (mass * stock.rotating_mass_factor);
}

double Train::braking(double speed_kmh, double gradient_permille, double adhesion_value) const {
  const double limit = adhesion_coefficient(speed_kmh, adhesion_value) * kGravity;
  return std::min(deceleration, limit) + gradient_permille / 1000 * kGravity;
}

double braking_distance(double v0_kmh, double v1_kmh, double deceleration) {
  if (v1_kmh >= v0_kmh) return 0;
  if (deceleration <= 0) return std::numeric_limits<double>::infinity();
  const double v0 = v0_kmh / 3.6, v1 = v1_kmh / 3.6;
  return (v0 * v0 - v1 * v1) / (2 * deceleration);
}

}  // namespace scenario::running
