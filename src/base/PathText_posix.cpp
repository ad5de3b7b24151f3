#include "base/PathText.h"

// Paths here are UTF-8, whose bytes never hide a separator.
bool isSystemLeadByte(uint8_t) { return false; }
