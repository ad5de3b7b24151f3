#include <windows.h>

#include "base/PathText.h"

bool isSystemLeadByte(uint8_t byte) { return IsDBCSLeadByte(byte) != FALSE; }
