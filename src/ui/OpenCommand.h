// File -> Open: a Scala scale goes to the temperament dialog; a .syx, .mid or
// .txt sets the format, the parts and the twelve offsets from the tuning
// messages it holds, with one listing rebuild, and the reader's warnings or
// error are shown.
#pragma once

void openTuningFile();
