// The system's words for an error code, for a front end that shows them.
#pragma once

#include <string>

#include "base/SystemError.h"

// The system's own text for `error` as it gives it: the message table's on
// Windows (in the system's default language, else any it has; the line break
// at its end kept, inserts such as "%1" left as they are), strerror's
// elsewhere. False, with `text` untouched, when the system has none.
bool systemErrorMessage(SystemError error, std::string& text);

// One line: that text without its line end, or "system error N" when the
// system has no text for it.
std::string systemErrorText(SystemError error);
