// Resource identifiers. The numbers are fixed: settings files, tests and the
// dialog code depend on them.
#pragma once

// Dialog templates
#define IDD_MAIN 101
#define IDD_OPTIONS 109
#define IDD_ABOUT 110
#define IDD_TEMPERAMENT 112
#define IDD_PLAY_THROUGH 113

// Menu and accelerators
#define IDR_MAIN_MENU 103
#define IDR_ACCELERATORS 104

// Icon
#define IDI_APP 111

// Strings 102-138
#define IDS_ERROR_CAPTION 102
#define IDS_CANNOT_CREATE_DIALOG 103
#define IDS_LISTING_FONT_FACE 104
#define IDS_LABEL_PART 106
#define IDS_LABEL_CHANNEL 107
#define IDS_FILTER_SMF 108
#define IDS_UNEXPECTED_ERROR 109
#define IDS_FILTER_TEXT 110
#define IDS_FILTER_BINARY 111
#define IDS_WARNING_CAPTION 112
#define IDS_CONFIRM_OVERWRITE_PRESET 113
#define IDS_CONFIRM_DELETE_PRESET 114
#define IDS_TITLE_SAVE_SMF 115
#define IDS_TITLE_SAVE_BINARY 116
#define IDS_TITLE_SAVE_TEXT 117
#define IDS_WEB_ADDRESS 118
#define IDS_MAIL_ADDRESS 119
#define IDS_VERSION_KEY_DESCRIPTION 134
#define IDS_VERSION_KEY_COPYRIGHT 135
#define IDS_VERSION_KEY_COMMENTS 136
#define IDS_CONFIRM_OPEN_WEB 137
#define IDS_CONFIRM_CAPTION 138

// Strings 140-179: opening files, the temperament dialog and the texts of
// what the tuning readers report. %1, %2, %3 in them are filled in by the
// program.
#define IDS_FILTER_OPEN 140
#define IDS_FILTER_SCALA 141
#define IDS_TITLE_OPEN 142
#define IDS_TITLE_OPEN_SCALA 143
#define IDS_TEMPERAMENT_FIRST 144  // the built-in temperament k is 144 + k
#define IDS_TEMPERAMENT_LAST 152
#define IDS_ZERO_NOTE_TONIC 153
#define IDS_FIT_HEADER 154
#define IDS_FIT_HELD_MARK 155
#define IDS_FIT_UNMAPPED 156
#define IDS_A4_OUT_OF_RANGE 157
#define IDS_CANNOT_READ_FILE 158
#define IDS_FILE_TOO_LARGE 159
#define IDS_UNSUPPORTED_KIND 160
#define IDS_SCALA_MISSING_COUNT 161
#define IDS_SCALA_BAD_COUNT 162
#define IDS_SCALA_COUNT_TOO_LARGE 163
#define IDS_SCALA_MISSING_PITCHES 164
#define IDS_SCALA_NOT_A_NUMBER 165
#define IDS_SCALA_NON_POSITIVE_RATIO 166
#define IDS_SCALA_NUMBER_TOO_LARGE 167
#define IDS_SCALE_NO_PITCHES 168
#define IDS_SCALE_PERIOD_NOT_OCTAVE 169
#define IDS_SCALE_TOO_MANY_NOTES 170
#define IDS_SCALE_DEGREES_COLLIDE 171
#define IDS_BAD_HEX_TEXT 174
#define IDS_TRUNCATED 175
#define IDS_NO_TUNING_MESSAGE 176
#define IDS_WARNINGS_HEADER 177
#define IDS_WARNING_LINES 178  // one line per kind of reader warning, in its order
#define IDS_FILE_AT_LINE 179

// Strings of sending to a MIDI output device, 180-219
#define IDS_MIDI_CAPTION 180
#define IDS_MIDI_NO_DEVICE 181
#define IDS_MIDI_DEVICE_MISSING 182
#define IDS_MIDI_OPEN_FAILED 183
#define IDS_MIDI_SEND_FAILED 184
#define IDS_MIDI_TIMED_OUT 185
#define IDS_MIDI_ERROR_CODE 186
#define IDS_MIDI_DEVICE_NONE 187
#define IDS_MIDI_DEVICE_MISSING_ENTRY 188
#define IDS_MIDI_SENDING_TITLE 189

// Strings of MIDI output devices that fail or go away, 220-249
#define IDS_MIDI_DEVICE_STUCK 220
#define IDS_MIDI_LIVE_DEVICE_GONE 221
// Strings 250-299: the temperament dialog's later additions
#define IDS_TEMPERAMENT_MORE_FIRST 250  // the built-in temperament 9 + k is 250 + k
#define IDS_TEMPERAMENT_MORE_LAST 259
#define IDS_CIRCLE_FIFTHS 260  // the circle of fifths' legend
#define IDS_CIRCLE_THIRDS 261
#define IDS_CIRCLE_PURE 262
#define IDS_CIRCLE_NARROW 263
#define IDS_CIRCLE_WIDE 264
#define IDS_CIRCLE_EQUAL 265

// Strings of writing the tuning into a song, 300-349. %1 to %5 in them are
// filled in by the program; the *_LINES strings hold one line per kind, in
// the core's order.
#define IDS_SONG_CAPTION 300
#define IDS_FILTER_SONG 301
#define IDS_TITLE_OPEN_SONG 302
#define IDS_TITLE_SAVE_SONG 303
#define IDS_FILTER_SAVE_SONG 304
#define IDS_FILTER_SAVE_RMI 305
#define IDS_SONG_ERROR_LINES 306  // one line per SongError after None
#define IDS_SONG_AT_BYTE 307
#define IDS_SONG_NO_TUNING 308
#define IDS_SONG_RESET_NAMES 309  // one line per ResetKind
#define IDS_SONG_FORMAT 310
#define IDS_SONG_WRAPPED 311
#define IDS_SONG_RESETS 312
#define IDS_SONG_RESET_ITEM 313
#define IDS_SONG_NO_RESET 314
#define IDS_SONG_MORE_RESETS 315
#define IDS_SONG_TUNING_AFTER_RESET 316
#define IDS_SONG_TUNING_AT_START 317
#define IDS_SONG_SHIFT 318
#define IDS_SONG_REMOVED 319
#define IDS_SONG_LATER_TUNING 320
#define IDS_SONG_RETUNED 321
#define IDS_SONG_GAP_WARNING 322
#define IDS_SONG_CONFIRM 323
#define IDS_SONG_TOO_LARGE 324
#define IDS_SONG_BEND_METHOD 325
#define IDS_SONG_BEND_CHANNELS 326
#define IDS_SONG_BEND_BORROWED 327
#define IDS_SONG_BEND_OFF_PITCH 328
#define IDS_SONG_BEND_CLIPPED 329
#define IDS_SONG_BEND_AGAIN 330
#define IDS_SONG_BEND_GAP_WARNING 331
#define IDS_SONG_BEND_NO_NOTES 332

// Strings of the GM2 format's forms, 350-379
#define IDS_MTS_FORM_FIRST 350  // the Options list entry of MtsForm k is 350 + k
#define IDS_MTS_FORM_LAST 353
#define IDS_MTS_WARNING_LINES 354  // the reader warnings after IDS_WARNING_LINES' own

// Strings of exact tuning, 380-399
#define IDS_A4_OUT_OF_RANGE_380 380  // the A4 range from 380 Hz (IDS_A4_OUT_OF_RANGE named 400)
#define IDS_EXACT_MARK 381  // beside a note whose exact value is sent
#define IDS_FIT_COARSE 382  // the fit preview's coarse tuning line, the semitones after it

// Strings of the interface's language and of texts the files cannot hold, 400-419
#define IDS_LANGUAGE_LABEL 400
#define IDS_LANGUAGE_AS_WINDOWS 401  // the Options list entry of the choices, in order
#define IDS_LANGUAGE_JAPANESE 402
#define IDS_LANGUAGE_ENGLISH 403
#define IDS_PRESET_NAME_NOT_CP932 404
#define IDS_LIST_SEPARATOR 405  // between the items of a list in a sentence

// A scale of any size on the keys: the 音律 dialog's keyboard map and
// layout, and the main window's line while a keyboard tuning is held
#define IDS_KEYBOARD_MAP_BUTTON 420
#define IDS_TITLE_OPEN_KBM 421
#define IDS_FILTER_KBM 422
#define IDS_KBM_ERROR_LINES 423     // one line per KeyboardMapError after None
#define IDS_KBM_TOO_FEW_LINES 424
#define IDS_KEYBOARD_ERROR_LINES 425  // one line per KeyboardTuningError after None
#define IDS_KEYBOARD_PREVIEW_LINES 426
#define IDS_KEYBOARD_LINE 427
#define IDS_KEYBOARD_NOT_CARRIED 428
#define IDS_KEYBOARD_SWITCH 429
#define IDS_FILTER_TEXT_KEYS 430  // the text save's filter while a keyboard tuning is held
#define IDS_KEYBOARD_FROM_FILE 431  // the line's second name for keys opened from a file
#define IDS_LAYOUT_LABEL 432
#define IDS_LAYOUT_FIRST 433  // the layout list's entry of ScaleLayout k is 433 + k
#define IDS_LAYOUT_LAST 435
#define IDS_DEGREES_ON_KEYS 436  // the preview's first line when two degrees put a scale on the keys

// Strings of the MTS-ESP master, 480-499. %1 in them is filled in by the
// program.
#define IDS_MTSESP_CAPTION 480
#define IDS_MTSESP_NOT_INSTALLED 481  // %1: where the library was looked for
#define IDS_MTSESP_NO_FOLDER 482      // not installed, and Windows names no Common Files folder
#define IDS_MTSESP_CANNOT_LOAD 483    // %1: the library's path; the system's reason follows
#define IDS_MTSESP_NOT_A_MASTER 484   // %1: the library's path
#define IDS_MTSESP_ANOTHER_MASTER 485
#define IDS_MTSESP_OFFER_RESET 486
#define IDS_MTSESP_TITLE 487               // the title's state while the library cannot count clients
#define IDS_MTSESP_TITLE_CLIENTS 488       // %1 clients
#define IDS_MTSESP_TITLE_ONE_CLIENT 489

// Strings of playing through, 500-529. %1 to %4 in them are filled in by
// the program.
#define IDS_PLAY_METHOD_FIRST 500  // the method list's entry of play method k is 500 + k
#define IDS_PLAY_METHOD_LAST 502
#define IDS_PLAY_IDLE 503
#define IDS_PLAY_STARTING 504
#define IDS_PLAY_STATUS 505            // %1 notes held, %2 channels in use, %3 notes played
#define IDS_PLAY_STATUS_OFF_PITCH 506  // the same, then %4 notes off pitch by at most %5 cents
#define IDS_PLAY_STOPPED 507           // %1 notes played
#define IDS_PLAY_CHOOSE_DEVICES 508
#define IDS_PLAY_DEVICE_MISSING 509    // %1: the remembered name
#define IDS_PLAY_OPEN_FAILED 510       // %1: the device; the system's text follows
#define IDS_PLAY_DEVICE_FAILED 511     // %1: the device; the system's text follows

// Main dialog controls
#define IDC_EXACT_MARK_FIRST 1120  // 1120 + k: pitch class k's mark, made at run time
#define IDC_PRESET_COMBO 1037
#define IDC_PRESET_SAVE 1038
#define IDC_PRESET_DELETE 1039
#define IDC_OFFSET_FIRST 1001  // C; 1001 + k for pitch class k
#define IDC_OFFSET_LAST 1012   // B
#define IDC_OFFSET_SPIN_FIRST 1013  // up-down of edit 1001 + k is 1013 + k
#define IDC_SAVE_SMF 1041
#define IDC_SAVE_TEXT 1042
#define IDC_CHECK_ALL 1043
#define IDC_FORMAT_COMBO 1044
#define IDC_SAVE_BINARY 1045
#define IDC_UNCHECK_ALL 1046
#define IDC_PART_LABEL 1048
#define IDC_PART_FIRST 1052  // box n (0-15) is 1052 + n
#define IDC_PART_LAST 1067
#define IDC_SYSEX_EDIT 1068

// Options dialog controls
#define IDC_DIVISION_EDIT 1070
#define IDC_DELTA_EDIT 1071
#define IDC_DIVISION_SPIN 1072
#define IDC_DELTA_SPIN 1073
#define IDC_RESET_DEFAULTS 3
#define IDC_MIDI_DEVICE_COMBO 1074
#define IDC_SYSEX_PAUSE_EDIT 1075
#define IDC_SYSEX_PAUSE_SPIN 1076
#define IDC_MTS_FORM_COMBO 1077
#define IDC_SONG_RESET_GAP_EDIT 1090
#define IDC_SONG_RESET_GAP_SPIN 1091
#define IDC_SONG_MESSAGE_GAP_EDIT 1092
#define IDC_SONG_MESSAGE_GAP_SPIN 1093
#define IDC_SONG_PITCH_BEND 1094
#define IDC_LANGUAGE_COMBO 1095  // made at run time, below the template's controls
#define IDC_OPEN_KEYBOARD_MAP 1096  // 音律 dialog, made at run time
#define IDC_KEYBOARD_LINE 1097      // main window, made at run time
#define IDC_LAYOUT_COMBO 1098       // 音律 dialog, made at run time

// Play-through dialog controls
#define IDC_PLAY_IN_COMBO 1140
#define IDC_PLAY_OUT_COMBO 1141
#define IDC_PLAY_METHOD_COMBO 1142
#define IDC_PLAY_BEND_RANGE_EDIT 1143
#define IDC_PLAY_BEND_RANGE_SPIN 1144
#define IDC_PLAY_DRUMS 1145
#define IDC_PLAY_START 1146
#define IDC_PLAY_STOP 1147
#define IDC_PLAY_STATUS 1148
#define IDC_PLAY_CHANNEL_FIRST 1150  // output channel n (0-15) is 1150 + n
#define IDC_PLAY_CHANNEL_LAST 1165

// Temperament dialog controls
#define IDC_TEMPERAMENT_COMBO 1080
#define IDC_TONIC_COMBO 1081
#define IDC_ZERO_NOTE_COMBO 1082
#define IDC_A4_EDIT 1083
#define IDC_OPEN_SCALA 1084
#define IDC_FIT_PREVIEW 1085
#define IDC_FIFTHS_CIRCLE 1086

// About dialog controls
#define IDC_ABOUT_MAIL 1001
#define IDC_ABOUT_WEB 1002
#define IDC_ABOUT_REVEAL 1003
#define IDC_ABOUT_PATH 1005
#define IDC_ABOUT_DESCRIPTION 134
#define IDC_ABOUT_COPYRIGHT 135
#define IDC_ABOUT_COMMENTS 136

// Menu commands, also sent by the accelerators
#define IDM_EXIT 40004
#define IDM_SAVE_SMF 40007
#define IDM_SAVE_BINARY 40008
#define IDM_SAVE_TEXT 40010
#define IDM_ABOUT 40014
#define IDM_MANUAL 40028
#define IDM_OPTIONS 40030
#define IDM_OPEN 40040
#define IDM_TEMPERAMENT 40041

#define IDM_SEND_MIDI 40042
#define IDM_LIVE_SEND 40043
#define IDM_APPLY_TO_SONG 40044

// Menu commands of the MTS-ESP master, 40060-40069
#define IDM_MTSESP_MASTER 40060

// Menu commands of playing through, 40070-40079
#define IDM_PLAY_THROUGH 40070
