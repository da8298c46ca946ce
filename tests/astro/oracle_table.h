// Reads the reference tables of data/ (comma-separated, one header line),
// copied beside the test program as astro_data/.
#pragma once

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using OracleRow = std::vector<double>;

inline std::vector<OracleRow> ReadOracleTable(const std::string& name) {
  std::ifstream f("astro_data/" + name);
  std::vector<OracleRow> rows;
  std::string line;
  std::getline(f, line);   // header
  while (std::getline(f, line)) {
    OracleRow row;
    std::stringstream s(line);
    std::string cell;
    while (std::getline(s, cell, ',')) row.push_back(std::stod(cell));
    rows.push_back(row);
  }
  return rows;
}

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180;

// a - b brought into -pi..pi.
inline double AngleDiff(double a, double b) { return std::remainder(a - b, 2 * kPi); }
