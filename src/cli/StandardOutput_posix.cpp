#include "cli/StandardOutput.h"

void setStandardOutputBinary() {}
