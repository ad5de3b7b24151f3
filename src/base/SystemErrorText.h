// The system's words for an error code, for a front end that prints them.
#pragma once

#include <string>

#include "base/SystemError.h"

// One line: strerror's text elsewhere, the message table's on Windows (in
// the system's language and ANSI code page) without its line end. "system
// error N" when the system has no text for it.
std::string systemErrorText(SystemError error);
