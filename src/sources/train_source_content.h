#pragma once

#include <span>
#include <string_view>

namespace scenario {

// The built-in scenario's train source file, in three parts written one after
// the other (74 lines in all, from "[generale]" to "[fine]"):
//   - every line before the station records, ending with "[stazioni]";
//   - the 13 station records without their names: record k (from 1) is
//     station_rows()[k - 1] followed by stop(k) of the place-name table;
//   - every line after the station records, from "[rallentamenti]" on.
std::span<const std::string_view> train_source_opening();
std::span<const std::string_view> station_rows();
std::span<const std::string_view> train_source_closing();

}  // namespace scenario
