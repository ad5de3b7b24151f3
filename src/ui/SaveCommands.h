// The three save commands of the main window: a Standard MIDI File, the raw
// SysEx bytes and the hex listing as text.
#pragma once

void saveAsSmf();
void saveAsBinary();
void saveAsText();
