#include "cli/StandardOutput.h"

#include <unistd.h>

void setStandardOutputBinary() {}

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }
