// Standard output as the command line writes it.
#pragma once

// Puts standard output into binary mode, so that the bytes written reach it
// unchanged (no LF to CR LF translation on Windows; nothing to do elsewhere).
void setStandardOutputBinary();

// True when standard error goes to a terminal (a console on Windows), where
// a long batch may show its progress.
bool standardErrorIsTerminal();
