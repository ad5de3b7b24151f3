// The sizes of the intervals that temperaments are built from and judged by,
// in cents. Functions rather than constants, so that a value asked for during
// another file's static initialisation is never unset.
#pragma once

#include <cmath>

inline double ratioCents(double ratio) { return 1200.0 * std::log2(ratio); }
// 81/80, about 21.51 cents.
inline double syntonicCommaCents() { return ratioCents(81.0 / 80.0); }
// 531441/524288, about 23.46 cents.
inline double pythagoreanCommaCents() { return ratioCents(531441.0 / 524288.0); }
