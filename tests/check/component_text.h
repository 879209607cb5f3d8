// Component wave files built in the tests from their record layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "textio/format.h"

namespace wavecomp::testing {

struct Component {
  double f;      // Hz
  double a;      // m
  double theta;  // rad
  double phase;  // rad
};

inline std::string ComponentRecord(const Component& c) {
  std::string line;
  textio::PutE(line, c.f, 15, 6);
  textio::PutE(line, c.a, 15, 6);
  textio::PutE(line, c.theta, 15, 6);
  textio::PutE(line, c.phase, 15, 6);
  return line + "\n";
}

inline std::string Records(const std::vector<Component>& components) {
  std::string text;
  for (const Component& c : components) text += ComponentRecord(c);
  return text;
}

// The JNS trailer: "  JNS ", four E15.6, the seed (I5, five asterisks when
// it does not fit) and the Smax record ("*****" when it does not fit F5.2).
inline std::string JnsTrailer(double H13, double T13, double Dirc, double gamma, std::int64_t seed, double Smax) {
  std::string text = "  JNS \n";
  textio::PutE(text, H13, 15, 6);
  textio::PutE(text, T13, 15, 6);
  textio::PutE(text, Dirc, 15, 6);
  textio::PutE(text, gamma, 15, 6);
  text += "\n";
  textio::PutI(text, seed, 5);
  text += "\nSmax= ";
  textio::PutF(text, Smax, 5, 2);
  return text + "\n";
}

// The trailer of the other types: three E15.6, the file name (A50) and, for
// Sspe, the Smax record.
inline std::string OtherTrailer(double H13, double T13, double Dirc, const std::string& name, bool with_smax,
                                double Smax = 0.0) {
  std::string text;
  textio::PutE(text, H13, 15, 6);
  textio::PutE(text, T13, 15, 6);
  textio::PutE(text, Dirc, 15, 6);
  text += "\n" + name + std::string(name.size() < 50 ? 50 - name.size() : 0, ' ') + "\n";
  if (with_smax) {
    text += "Smax= ";
    textio::PutF(text, Smax, 5, 2);
    text += "\n";
  }
  return text;
}

inline std::string SinglePointFile(const std::vector<Component>& components, const std::string& trailer, int code = 3,
                                   double gamma = 3.3) {
  std::string text = "    1\n";
  textio::PutI(text, static_cast<std::int64_t>(components.size()), 5);
  textio::PutI(text, code, 5);
  textio::PutF(text, gamma, 10, 1);
  return text + "\n" + Records(components) + "\n\n" + trailer;
}

inline std::string PointHeader(std::int64_t count, std::int64_t point_number) {
  std::string text;
  textio::PutI(text, count, 5);
  textio::PutI(text, 9, 5);
  textio::PutF(text, 0.0, 10, 1);
  textio::PutI(text, point_number, 5);
  return text + "\n";
}

}  // namespace wavecomp::testing
