// The winmm test double (tests/mididouble) as the winmm of the program
// copied under kProgramWithDouble's name; defined in MidiSendTest.cpp.
#pragma once

extern const char kProgramWithDouble[];
// Installs it once for the run; false when it cannot be.
bool installMidiDouble();
