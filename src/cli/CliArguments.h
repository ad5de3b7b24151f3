// The command line of velmarin-cli, parsed into a command without touching
// any file or device, so that every rule of it is testable natively.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "midiout/SysexSender.h"
#include "retune/RetuneOptions.h"
#include "settings/AppSettings.h"
#include "song/SongBends.h"
#include "song/SongTuning.h"
#include "sysex/MtsForms.h"
#include "sysex/SysexBuilder.h"
#include "tuning/ResolveTuning.h"
#include "tuning/TuningFit.h"

enum class CliCommandKind { Help, Temperaments, Offsets, Build, Read, Ports, Send, Analyse, Apply, Keys, Play, MtsEsp };

enum class CliSourceKind { None, Temperament, Scala, Offsets };

// Where `build` writes: the hex listing to standard output, or a file whose
// kind follows its extension.
// A Scala scale, keyboard map or AnaMark tuning holds the tuning itself, for
// software synthesizers; it needs no --format or --parts.
enum class CliOutputKind { StandardOutput, MidiFile, Binary, Text, Scala, KeyboardMap, AnaMark };

struct CliCommand {
    CliCommandKind kind = CliCommandKind::Help;

    CliSourceKind source = CliSourceKind::None;
    std::string temperamentId;            // Temperament
    std::string scalaPath;                // Scala
    std::string keyboardMapPath;          // Scala: --kbm, the keys it plays on
    ScaleLayout layout = ScaleLayout::Automatic;  // Scala: --layout
    std::array<int32_t, 12> offsets{};    // Offsets, C..B, in whole cents
    std::array<int32_t, 12> offsetHundredths{};  // the same as typed, in hundredths
    FitOptions fit;
    bool report = false;                  // offsets: the fit report instead of the numbers
    bool sent = false;                    // analyse: the rounded offsets instead of the exact values

    TuningFormat format = TuningFormat::GS;
    MtsOptions mts;                       // the GM2 format's form and tuning program
    uint32_t parts = 0;                   // bit n = part or channel n + 1
    int32_t division = kDefaultDivision;
    int32_t delta = kDefaultDelta;
    CliOutputKind output = CliOutputKind::StandardOutput;
    std::string outputPath;

    std::string readPath;                 // read
    bool keys = false;                    // read --keys: the keys a key-based file sets

    std::string port;                     // send, play: output device number or name
    bool inputs = false;                  // ports --inputs: the input devices instead
    uint32_t pauseMs = kDefaultSysexPauseMs;

    std::vector<std::string> songPaths;   // apply; -o sets outputPath
    std::string outputFolder;             // apply --out-dir
    SongTuningOptions song;               // apply: the gaps and --keep-tuning
    bool overwrite = false;               // apply
    bool pitchBend = false;               // apply --pitch-bend: the tuning as pitch bends, no SysEx
    int32_t bendRange = 0;                // apply --bend-range, semitones; 0 as wide as the song needs
    bool showProgress = false;            // apply: standard error is a terminal

    std::string inPort;                   // play --in: input device number or name
    // play: the method and its channels; bendRange above is the bend
    // method's, 0 as wide as the tuning and the player's wheel need.
    RetuneOptions retune;
    bool reset = false;                   // mts-esp --reset: take the place of a master that may have crashed
    bool mtsEsp = false;                  // play --mts-esp: publish the tuning as MTS-ESP master too
};

// Exit statuses of the program.
constexpr int kExitSuccess = 0;
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;

struct CliParse {
    // kExitSuccess when `command` holds what to do: for Help, print
    // `helpText`. kExitUsage when the line is not a command line of the
    // program: an unknown command or option, an option the command does not
    // take or given twice, a missing option value, a word outside an option's
    // fixed list (--format, --zero), an output file that is not .mid, .syx,
    // .txt, .scl, .kbm or .tun, a file for `read` that is not .syx, .mid or
    // .txt, or a broken rule between options (cliRules() in CliOptionTable.h:
    // two sources, --kbm without --scl, ...). kExitBadInput when the line has
    // the right shape but a value the user types in is malformed or out of
    // its range: --temperament (an unknown id), --offsets (also beyond the
    // range of the chosen --format, -64..63 without), --tonic, --parts and
    // each number.
    int exitCode = kExitSuccess;
    std::string message;      // English, one line, for standard error
    std::string commandName;  // once the line has named a command
    bool showUsage = false;   // no command at all: the whole usage follows the message
    std::string helpText;     // Help: the usage, a command's help or the version
    CliCommand command;
};

// `arguments` excludes the program name. "--help" anywhere asks for the
// usage, or for the help of the command the line starts with; "--version"
// first for the version. Options take their value as the next argument.
CliParse parseCliArguments(const std::vector<std::string>& arguments);

// The texts the program prints about itself (CliUsage.cpp), each ending with
// a line end: the usage of every command and option; the help of one
// command, with the options it takes; "velmarin-cli VERSION"; and what a
// refused line prints on standard error: its message, then for a usage error
// where to look ("Try 'velmarin-cli build --help'"), or the whole usage when
// the line named no command.
const char* cliUsage();
std::string cliCommandHelp(CliCommandKind kind);
std::string cliVersionText();
std::string cliErrorText(const CliParse& parse);

// The words of --format, which `read` also prints.
struct CliFormatName {
    const char* word;
    TuningFormat format;
    MtsForm form;
};
constexpr CliFormatName kCliFormatNames[] = {
    {"gs", TuningFormat::GS, MtsForm::ScaleOctave1Byte},
    {"xg", TuningFormat::XG, MtsForm::ScaleOctave1Byte},
    {"gm2", TuningFormat::GM2, MtsForm::ScaleOctave1Byte},
    {"gm2-2byte", TuningFormat::GM2, MtsForm::ScaleOctave2Byte},
    {"mts-note", TuningFormat::GM2, MtsForm::SingleNote},
    {"mts-bulk", TuningFormat::GM2, MtsForm::BulkDump},
};
// Null for a word that is none of them.
const CliFormatName* findFormatName(std::string_view word);
// The word of a format and (for GM2) form.
const char* cliFormatWord(TuningFormat format, MtsForm form);
