#include "base/PathText.h"

// Paths inside the program are UTF-8 here too (the wide calls take them),
// whose bytes never hide a separator.
bool isSystemLeadByte(uint8_t) { return false; }
