#pragma once

#include <filesystem>
#include <string>

namespace scenario::bench {

// Writes a line source file and a train source file for the largest line the
// compiler accepts (1,000,000 m): curves of every class along its whole length,
// a gradient change every 500 m, speed rows, as many stations and signs as the
// scenario table holds, and a signal every 2 km. Named like the built-in
// scenario's files so the ordinary compile step reads them.
void write_largest_line_sources(const std::filesystem::path& folder, const std::string& nome_linea,
                                const std::string& numero_treno);

}  // namespace scenario::bench
