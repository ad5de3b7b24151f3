// A resolved tuning as pitch bends take it: the cents of every key and how
// notes find their key. The live stream of a tuning takes the same.
#pragma once

#include "retune/RetuneTuning.h"
#include "song/SongBends.h"
#include "sysex/MtsForms.h"
#include "sysex/SysexBuilder.h"
#include "tuning/Tuning.h"

// SongBendOptions with keyCents and nearestKeys set, the rest left at their
// defaults for the caller: twelve pitch classes bend every key by its pitch
// class as `format` and `form` send it, coarse tuning included (the bends
// carry the A4 shift a coarse tuning would); a keyboard tuning bends each
// key by its own offset (a key left as it is keeps its pitch), each note
// played on the key nearest its pitch.
SongBendOptions tuningBendOptions(const Tuning& tuning, TuningFormat format, MtsForm form);

// The same for a player retuned live by pitch bends or MPE, which no SysEx
// form limits: twelve pitch classes bend by their exact cents (the fit's,
// before rounding), coarse tuning included.
RetuneTuning liveRetuneTuning(const Tuning& tuning);
