// The one formula from a key to its frequency and back: the equal-tempered
// keyboard that every offset, key table and file of the program counts from.
#pragma once

constexpr int kA4Key = 69;
constexpr double kStandardA4Hz = 440.0;

// a4Hz x 2^((key - 69) / 12 + cents / 1200): the key's equal-tempered pitch
// with A4 at a4Hz, raised by `cents`.
double keyHz(int key, double a4Hz = kStandardA4Hz, double cents = 0.0);

// 1200 log2(hz / keyHz(key, a4Hz)): how far `hz` lies above the key's
// equal-tempered pitch with A4 at a4Hz, in cents. centsAboveKey(kA4Key, a4)
// is the shift of an A4 at `a4` from the standard one.
double centsAboveKey(int key, double hz, double a4Hz = kStandardA4Hz);

// hz x 2^(cents / 1200): a frequency raised by `cents`, as a scale's degree
// sounds above its reference.
double raisedHz(double hz, double cents);
