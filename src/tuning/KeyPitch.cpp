#include "tuning/KeyPitch.h"

#include <cmath>

// The expressions keep the order of the operations that files written
// before them were computed with, so that their bytes stay the same.
double keyHz(int key, double a4Hz, double cents) { return a4Hz * std::exp2((key - kA4Key) / 12.0 + cents / 1200.0); }

double centsAboveKey(int key, double hz, double a4Hz) { return 1200.0 * std::log2(hz / keyHz(key, a4Hz)); }

double raisedHz(double hz, double cents) { return hz * std::exp2(cents / 1200.0); }
