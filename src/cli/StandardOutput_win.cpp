#include "cli/StandardOutput.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

void setStandardOutputBinary() { _setmode(_fileno(stdout), _O_BINARY); }

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }
