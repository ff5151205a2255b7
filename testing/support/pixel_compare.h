// Equality and printing for the host's pixels, so tests can compare them
// directly and failures show the channels.
#pragma once

#include <ostream>

#include "host/pf_types.h"

inline bool operator==(const PF_Pixel& a, const PF_Pixel& b) {
  return a.alpha == b.alpha && a.red == b.red && a.green == b.green && a.blue == b.blue;
}
inline bool operator==(const PF_Pixel16& a, const PF_Pixel16& b) {
  return a.alpha == b.alpha && a.red == b.red && a.green == b.green && a.blue == b.blue;
}
inline std::ostream& operator<<(std::ostream& out, const PF_Pixel& p) {
  return out << "(a" << +p.alpha << " r" << +p.red << " g" << +p.green << " b" << +p.blue << ")";
}
inline std::ostream& operator<<(std::ostream& out, const PF_Pixel16& p) {
  return out << "(a" << p.alpha << " r" << p.red << " g" << p.green << " b" << p.blue << ")";
}
