#include "running/rolling_stock.h"

#include <algorithm>
#include <cmath>

namespace scenario::running {

namespace {

const std::vector<RollingStock>& catalogue() {
  static const std::vector<RollingStock> stock = [] {
    std::vector<RollingStock> all;

    RollingStock hauled;
    hauled.id = "electric-locomotive-coaches";
    hauled.name = "a four-axle electric locomotive with N coaches";
    hauled.locomotive_mass = 86;
    hauled.locomotive_length = 19.6;
    hauled.car_mass = 42;
    hauled.car_length = 26.4;
    hauled.powered_car_share = 0;
    hauled.max_speed = 160;
    hauled.max_tractive_effort = 300;
    hauled.power = 5600;
    hauled.resistance_a = 15;
    hauled.resistance_b = 0.1;
    hauled.resistance_c = 0.8;
    hauled.resistance_c_per_car = 0.18;
    hauled.rotating_mass_factor = 1.06;
    hauled.service_brake_share = 1;
    hauled.sources = {
        {"locomotive_mass, locomotive_length, max_tractive_effort, power",
         "the range that makers publish for four-axle mixed-traffic electric locomotives built since the 1990s: "
         "84 to 90 t, 19 to 20 m over buffers, about 300 kN from standstill, 5.6 to 6.4 MW at the wheel; the low "
         "end is taken"},
        {"car_mass",
         "a second-class coach of 36 t empty with the flat 6 t of passengers that braking calculations count "
         "(German-language encyclopaedia article \"Bremshundertstel\", "
         "https://de.wikipedia.org/wiki/Bremshundertstel)"},
        {"car_length", "26.4 m, the standard length over buffers of the UIC type-Z long-distance coach"},
        {"max_speed", "assumed: coaches and locomotive cleared for 160 km/h"},
        {"resistance_a, resistance_b, resistance_c, resistance_c_per_car",
         "assumed: a Davis-type resistance A + B v + C v^2, of the size that passenger trains show (about 37 kN "
         "for 250 t at 140 km/h)"},
        {"rotating_mass_factor", "assumed: 1.06, within the 1.04 to 1.10 usual for locomotive-hauled trains"},
        {"service_brake_share", "the whole braking the braked-mass percentage stands for"},
    };
    all.push_back(hauled);

    RollingStock unit;
    unit.id = "electric-multiple-unit";
    unit.name = "an electric multiple unit of N cars, half of their axles driven";
    unit.locomotive_mass = 0;
    unit.locomotive_length = 0;
    unit.car_mass = 50;
    unit.car_length = 26;
    unit.powered_car_share = 0.5;
    unit.max_speed = 160;
    unit.tractive_effort_per_car = 50;
    unit.power_per_car = 550;
    unit.resistance_a = 13;
    unit.resistance_b = 0.1;
    unit.resistance_c = 0.7;
    unit.resistance_c_per_car = 0.15;
    unit.rotating_mass_factor = 1.08;
    unit.service_brake_share = 1;
    unit.sources = {
        {"car_mass, car_length, tractive_effort_per_car, power_per_car, powered_car_share",
         "assumed: of the size of four-car regional electric multiple units (about 200 t, 104 m, 200 kN and 2.2 MW "
         "for the unit, every other axle driven)"},
        {"max_speed", "assumed: 160 km/h"},
        {"resistance_a, resistance_b, resistance_c, resistance_c_per_car",
         "assumed: a Davis-type resistance A + B v + C v^2, a little below a locomotive-hauled train's"},
        {"rotating_mass_factor", "assumed: 1.08, motors and gears on half of the axles"},
        {"service_brake_share", "the whole braking the braked-mass percentage stands for"},
    };
    all.push_back(unit);
    return all;
  }();
  return stock;
}

}  // namespace

std::span<const RollingStock> rolling_stock_catalogue() { return catalogue(); }

const RollingStock* find_rolling_stock(std::string_view id) {
  for (const RollingStock& stock : catalogue()) {
    if (stock.id == id) return &stock;
  }
  return nullptr;
}

const RollingStock& default_rolling_stock(int32_t /*cars*/, int32_t braked_mass_percentage) {
  return catalogue()[braked_mass_percentage >= 140 ? 1 : 0];
}

std::vector<std::string> rolling_stock_faults(const RollingStock& stock) {
  std::vector<std::string> faults;
  const auto finite = [](double v) { return std::isfinite(v); };
  const auto need = [&](bool ok, const char* what) {
    if (!ok) faults.emplace_back(what);
  };
  for (const double v :
       {stock.locomotive_mass, stock.locomotive_length, stock.car_mass, stock.car_length, stock.powered_car_share,
        stock.max_speed, stock.max_tractive_effort, stock.power, stock.tractive_effort_per_car, stock.power_per_car,
        stock.resistance_a, stock.resistance_b, stock.resistance_c, stock.resistance_c_per_car,
        stock.rotating_mass_factor, stock.service_brake_share}) {
    if (!finite(v)) {
      faults.emplace_back("every value must be a finite number");
      return faults;
    }
  }
  need(stock.locomotive_mass >= 0 && stock.car_mass >= 0 && stock.locomotive_mass + stock.car_mass > 0,
       "the masses must not be negative, and the locomotive or a car must weigh something");
  need(stock.locomotive_length >= 0 && stock.car_length >= 0, "the lengths must not be negative");
  need(stock.powered_car_share >= 0 && stock.powered_car_share <= 1, "powered_car_share must be from 0 to 1");
  need(stock.max_speed > 0 && stock.max_speed <= 400, "max_speed must be above 0 and at most 400 km/h");
  need(stock.max_tractive_effort >= 0 && stock.power >= 0 && stock.tractive_effort_per_car >= 0 &&
           stock.power_per_car >= 0,
       "tractive effort and power must not be negative");
  need(stock.max_tractive_effort + stock.tractive_effort_per_car > 0 && stock.power + stock.power_per_car > 0,
       "the train needs some tractive effort and some power");
  need(stock.locomotive_mass > 0 || stock.powered_car_share > 0,
       "the train needs driven axles: a locomotive's mass or a powered_car_share");
  need(stock.resistance_a >= 0 && stock.resistance_b >= 0 && stock.resistance_c >= 0 && stock.resistance_c_per_car >= 0,
       "the resistance coefficients must not be negative");
  need(stock.rotating_mass_factor >= 1 && stock.rotating_mass_factor <= 2, "rotating_mass_factor must be from 1 to 2");
  need(stock.service_brake_share > 0 && stock.service_brake_share <= 1,
       "service_brake_share must be above 0 and at most 1");
  return faults;
}

}  // namespace scenario::running
