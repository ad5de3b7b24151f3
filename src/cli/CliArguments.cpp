#include "cli/CliArguments.h"

#include <map>
#include <optional>
#include <string_view>

#include "tuning/NoteNames.h"
#include "tuning/Temperaments.h"
#include "tuning/TuningExport.h"
#include "tuning/TuningFileReader.h"

namespace {

const char kUsage[] =
    "usage: velmarin-cli COMMAND [OPTIONS]\n"
    "\n"
    "commands:\n"
    "  temperaments      the built-in temperaments: id, a tab, the name\n"
    "  keys SOURCE [FIT] [--kbm FILE]\n"
    "                    the 128 keys: key, Hz, cents from the key's equal-tempered\n"
    "                    pitch at A4 = 440 Hz (tab-separated; - - for an unmapped key)\n"
    "  offsets SOURCE [FIT] [--report] [--format F]\n"
    "                    the twelve offsets C..B in cents, or the fit report;\n"
    "                    with two decimals where the form F carries them\n"
    "  build SOURCE [FIT] --format F --parts LIST [--program N] [--division N]\n"
    "        [--delta N] [-o FILE]\n"
    "                    the SysEx as hex text on standard output, or into FILE\n"
    "                    (.mid, .syx or .txt); or the tuning for software\n"
    "                    synthesizers, without --format and --parts: a Scala scale\n"
    "                    (.scl) and keyboard map (.kbm), or all 128 keys (.tun)\n"
    "  read FILE [--keys]\n"
    "                    format, parts and offsets of the tuning in a .syx, .mid\n"
    "                    or .txt file; --keys: the lines of keys for the keys that\n"
    "                    its single-note changes or bulk dump set\n"
    "  ports             the MIDI output devices: number, a tab, the name\n"
    "  send SOURCE [FIT] --format F --parts LIST [--program N] --port DEVICE\n"
    "        [--pause MS]\n"
    "                    the SysEx sent to a MIDI output device\n"
    "  analyse SOURCE [FIT] [--sent] [--format F]\n"
    "                    the twelve fifths and twelve major thirds: kind, lower and\n"
    "                    upper note, cents from pure, fraction of the Pythagorean\n"
    "                    comma, beats per second (tab-separated); --sent analyses\n"
    "                    the rounded offsets that would be sent\n"
    "  apply SONG... SOURCE [FIT] --format F --parts LIST [--program N]\n"
    "        [-o FILE | --out-dir DIR] [--after-reset MS] [--gap MS] [--keep-tuning]\n"
    "        [--overwrite]\n"
    "                    the tuning written into each song (a .mid or .rmi file)\n"
    "                    after its resets, as NAME-tuned.mid beside it unless -o\n"
    "                    (one song) or --out-dir (same names there) says where;\n"
    "                    one line per song on standard output\n"
    "  apply SONG... SOURCE [FIT] --pitch-bend [--parts LIST] [--bend-range N]\n"
    "        [-o FILE | --out-dir DIR] [--after-reset MS] [--keep-tuning] [--overwrite]\n"
    "                    the tuning written as pitch bends, for players that ignore\n"
    "                    tuning messages: notes move to free channels bent to their\n"
    "                    pitch; --parts names the song's channels (default all but 10)\n"
    "\n"
    "SOURCE, one of:\n"
    "  --temperament ID  a built-in temperament (see: velmarin-cli temperaments)\n"
    "  --scl FILE        a Scala scale file; one of more than twelve notes or a\n"
    "                    period other than 2/1 tunes the keys, degree 0 on the\n"
    "                    tonic of octave 4 (C4 = key 60; with --zero a, A4 keeps its\n"
    "                    pitch), sent with mts-note or mts-bulk\n"
    "  --kbm FILE        with --scl: a Scala keyboard map, which sets the keys each\n"
    "                    degree plays and their frequency (instead of FIT)\n"
    "  --offsets LIST    twelve numbers for C..B, e.g. \"0,-10,-8,-6,-10,-2,-12,-4,-8,-12,-4,-8\"\n"
    "                    (at most two decimals: \"0,-5.38,-10.75,...\")\n"
    "FIT:\n"
    "  --tonic NOTE      C C# Db D D# Eb E F F# Gb G G# Ab A A# Bb B (default C)\n"
    "  --zero tonic|a    the note kept at its equal-tempered pitch (default tonic;\n"
    "                    an --offsets list is kept as it is unless --zero is given)\n"
    "  --a4 HZ           the frequency of A4, 380 to 480 (default 440)\n"
    "options:\n"
    "  --format F        the SysEx dialect: gs, xg or gm2; or gm2 in another form\n"
    "                    of the MIDI Tuning Standard: gm2-2byte (scale/octave,\n"
    "                    2-byte), mts-note (single-note changes of all keys) or\n"
    "                    mts-bulk (a bulk dump of all keys)\n"
    "  --parts LIST      parts or channels 1-16 and ranges a-b, separated by\n"
    "                    commas, or all\n"
    "  --program N       the tuning program of mts-note and mts-bulk, 0 to 127\n"
    "                    (default 0), which the channels select\n"
    "  --division N      ticks per quarter note of a .mid, 1 to 32767 (default 120)\n"
    "  --delta N         ticks between the messages of a .mid, 0 to 32767 (default 0)\n"
    "  --port DEVICE     a device's number or name as velmarin-cli ports lists it\n"
    "  --pause MS        milliseconds between messages, 0 to 500 (default 20)\n"
    "  --out-dir DIR     apply: where the tuned songs go, under their own names\n"
    "  --after-reset MS  apply: from a reset to the tuning, 0 to 1000 (default 100)\n"
    "  --gap MS          apply: between two messages, 0 to 1000 (default 0)\n"
    "                    (with --pitch-bend, to the bend range: default 120)\n"
    "  --keep-tuning     apply: keep the tuning messages a song sets itself up with\n"
    "  --pitch-bend      apply: the tuning as pitch bends instead of SysEx\n"
    "  --bend-range N    apply --pitch-bend: the bend range written, 1 to 24\n"
    "                    semitones (default as wide as the song and tuning need)\n"
    "  --overwrite       apply: replace an existing output, the song itself included\n"
    "  --help            this text\n"
    "\n"
    "exit status: 0 done, 1 a bad input file or value, 2 a usage error\n";

// Which options each command takes.
enum OptionGroup : unsigned {
    kSourceOptions = 1,   // --temperament --scl --offsets
    kFitOptions = 2,      // --tonic --zero --a4
    kReportOption = 4,    // --report
    kListOptions = 8,     // --format --parts --program
    kFileOptions = 16,    // --division --delta -o
    kDeviceOptions = 32,  // --port --pause
    kSentOption = 64,     // --sent
    kSongOptions = 128,   // --out-dir --after-reset --gap --keep-tuning --overwrite
    kOutputOption = 256,  // -o, which build also takes with kFileOptions
    kFormatOption = 512,  // --format alone: the form offsets and analyse quantise for
    kMapOption = 1024,    // --kbm
    kKeysOption = 2048,   // --keys
};

struct CommandInfo {
    const char* name;
    CliCommandKind kind;
    unsigned groups;
    bool takesFile;
    bool takesSongs = false;  // any number of them
};

constexpr CommandInfo kCommands[] = {
    {"temperaments", CliCommandKind::Temperaments, 0, false},
    {"offsets", CliCommandKind::Offsets,
     kSourceOptions | kFitOptions | kReportOption | kFormatOption | kMapOption, false},
    {"build", CliCommandKind::Build, kSourceOptions | kFitOptions | kListOptions | kFileOptions | kMapOption,
     false},
    {"read", CliCommandKind::Read, kKeysOption, true},
    {"ports", CliCommandKind::Ports, 0, false},
    {"send", CliCommandKind::Send, kSourceOptions | kFitOptions | kListOptions | kDeviceOptions | kMapOption,
     false},
    {"analyse", CliCommandKind::Analyse,
     kSourceOptions | kFitOptions | kSentOption | kFormatOption | kMapOption, false},
    {"apply", CliCommandKind::Apply,
     kSourceOptions | kFitOptions | kListOptions | kSongOptions | kOutputOption | kMapOption, false, true},
    {"keys", CliCommandKind::Keys, kSourceOptions | kFitOptions | kMapOption, false},
};

struct OptionInfo {
    const char* name;
    unsigned group;
    bool takesValue;
};

constexpr OptionInfo kOptions[] = {
    {"--temperament", kSourceOptions, true}, {"--scl", kSourceOptions, true},
    {"--offsets", kSourceOptions, true},     {"--tonic", kFitOptions, true},
    {"--zero", kFitOptions, true},           {"--a4", kFitOptions, true},
    {"--report", kReportOption, false},      {"--format", kListOptions | kFormatOption, true},
    {"--parts", kListOptions, true},         {"--program", kListOptions, true},
    {"--division", kFileOptions, true},
    {"--delta", kFileOptions, true},         {"-o", kFileOptions | kOutputOption, true},
    {"--port", kDeviceOptions, true},        {"--pause", kDeviceOptions, true},
    {"--sent", kSentOption, false},
    {"--out-dir", kSongOptions, true},       {"--after-reset", kSongOptions, true},
    {"--gap", kSongOptions, true},           {"--keep-tuning", kSongOptions, false},
    {"--overwrite", kSongOptions, false},
    {"--pitch-bend", kSongOptions, false},   {"--bend-range", kSongOptions, true},
    {"--kbm", kMapOption, true},             {"--keys", kKeysOption, false},
};

std::string offsetRangeText(const OffsetRange& range) {
    return hundredthsText(range.lowest) + ".." + hundredthsText(range.highest);
}

CliParse failure(int exitCode, std::string message) {
    CliParse parse;
    parse.exitCode = exitCode;
    parse.message = std::move(message);
    return parse;
}

// Decimal digits only, at most `highest`.
std::optional<int32_t> parseCount(std::string_view text, int32_t highest) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > highest) return std::nullopt;
    return value;
}

// "all", or numbers 1..16 and ranges a-b (a <= b) separated by commas.
std::optional<uint32_t> parsePartList(std::string_view text) {
    if (text == "all") return 0xFFFFu;
    uint32_t parts = 0;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        const std::size_t dash = item.find('-');
        const auto first = parseCount(item.substr(0, dash), 16);
        const auto last = dash == std::string_view::npos ? first : parseCount(item.substr(dash + 1), 16);
        if (!first || !last || *first < 1 || *last < *first) return std::nullopt;
        for (int32_t part = *first; part <= *last; ++part) parts |= 1u << (part - 1);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return parts;
}

// Applies one option's value to the command; a failure for a bad value.
std::optional<CliParse> applyOption(std::string_view name, const std::string& value,
                                    CliCommand& command) {
    auto bad = [&](const std::string& what) {
        return failure(kExitBadInput, std::string(name) + " " + value + ": " + what);
    };
    if (name == "--temperament") {
        if (!findTemperament(value))
            return bad("no such temperament (velmarin-cli temperaments lists them)");
        command.source = CliSourceKind::Temperament;
        command.temperamentId = value;
    } else if (name == "--scl") {
        command.source = CliSourceKind::Scala;
        command.scalaPath = value;
    } else if (name == "--kbm") {
        command.keyboardMapPath = value;
    } else if (name == "--offsets") {
        const ExactOffsetListParse list = parseExactOffsetList(value);
        if (!list.ok())
            return bad(list.badItem > 12       ? std::string("more than twelve offsets")
                       : list.tooManyDecimals ? "offset " + std::to_string(list.badItem) +
                                                    " has more than two decimals"
                                              : "offset " + std::to_string(list.badItem) +
                                                    " is missing or not a number");
        command.source = CliSourceKind::Offsets;
        command.offsetHundredths = list.hundredths;
        for (int k = 0; k < 12; ++k) command.offsets[k] = wholeCents(list.hundredths[k]);
    } else if (name == "--tonic") {
        const auto tonic = parseNoteName(value);
        if (!tonic) return bad("not a note name (C C# Db D D# Eb E F F# Gb G G# Ab A A# Bb B)");
        command.fit.tonic = *tonic;
    } else if (name == "--zero") {
        if (value == "tonic") {
            command.fit.zeroNote = ZeroNote::Tonic;
        } else if (value == "a") {
            command.fit.zeroNote = ZeroNote::A;
        } else {
            return failure(kExitUsage, "--zero takes tonic or a");
        }
    } else if (name == "--a4") {
        const auto hz = parseFrequency(value);
        if (!hz || *hz < kMinA4Hz || *hz > kMaxA4Hz) return bad("the frequency must lie between 380 and 480 Hz");
        command.fit.a4Hz = *hz;
    } else if (name == "--format") {
        const CliFormatName* format = findFormatName(value);
        if (!format)
            return failure(kExitUsage, "--format takes gs, xg or gm2, or gm2-2byte, mts-note or mts-bulk");
        command.format = format->format;
        command.mts.form = format->form;
    } else if (name == "--program") {
        const auto program = parseCount(value, kMaxTuningProgram);
        if (!program) return bad("the tuning program must lie between 0 and 127");
        command.mts.program = static_cast<uint8_t>(*program);
    } else if (name == "--parts") {
        const auto parts = parsePartList(value);
        if (!parts) return bad("parts are numbers 1 to 16 and ranges a-b separated by commas, or all");
        command.parts = *parts;
    } else if (name == "--division") {
        const auto division = parseCount(value, kMaxDivision);
        if (!division || *division < kMinDivision) return bad("the division must lie between 1 and 32767");
        command.division = *division;
    } else if (name == "--delta") {
        const auto delta = parseCount(value, kMaxDelta);
        if (!delta) return bad("the delta must lie between 0 and 32767");
        command.delta = *delta;
    } else if (name == "-o" && command.kind == CliCommandKind::Apply) {
        command.outputPath = value;
    } else if (name == "-o") {
        switch (savedFileKindFromName(value)) {
        case TuningFileKind::Mid: command.output = CliOutputKind::MidiFile; break;
        case TuningFileKind::Syx: command.output = CliOutputKind::Binary; break;
        case TuningFileKind::Txt: command.output = CliOutputKind::Text; break;
        default:
            switch (synthFileKindFromName(value)) {
            case SynthFileKind::Scl: command.output = CliOutputKind::Scala; break;
            case SynthFileKind::Kbm: command.output = CliOutputKind::KeyboardMap; break;
            case SynthFileKind::Tun: command.output = CliOutputKind::AnaMark; break;
            case SynthFileKind::None:
                return failure(kExitUsage, "-o " + value +
                                               ": the file name must end with .mid, .syx or .txt (or, for software "
                                               "synthesizers, .scl, .kbm or .tun)");
            }
        }
        command.outputPath = value;
    } else if (name == "--port") {
        command.port = value;
    } else if (name == "--pause") {
        const auto pause = parseCount(value, static_cast<int32_t>(kMaxSysexPauseMs));
        if (!pause) return bad("the pause must lie between 0 and 500 ms");
        command.pauseMs = static_cast<uint32_t>(*pause);
    } else if (name == "--after-reset" || name == "--gap") {
        const auto ms = parseCount(value, static_cast<int32_t>(kMaxSongGapMs));
        if (!ms) return bad("the time must lie between 0 and 1000 ms");
        (name == "--gap" ? command.song.messageGapMs : command.song.resetGapMs) = static_cast<uint32_t>(*ms);
    } else if (name == "--out-dir") {
        command.outputFolder = value;
    } else if (name == "--keep-tuning") {
        command.song.keepOldTuning = true;
    } else if (name == "--overwrite") {
        command.overwrite = true;
    } else if (name == "--pitch-bend") {
        command.pitchBend = true;
    } else if (name == "--bend-range") {
        const auto range = parseCount(value, kMaxBendRange);
        if (!range || *range < kMinBendRange) return bad("the bend range must lie between 1 and 24 semitones");
        command.bendRange = *range;
    }
    return std::nullopt;
}

}  // namespace

const char* cliUsage() { return kUsage; }

const CliFormatName* findFormatName(std::string_view word) {
    for (const CliFormatName& name : kCliFormatNames)
        if (word == name.word) return &name;
    return nullptr;
}

const char* cliFormatWord(TuningFormat format, MtsForm form) {
    for (const CliFormatName& name : kCliFormatNames)
        if (name.format == format && (format != TuningFormat::GM2 || name.form == form)) return name.word;
    return "";
}

CliParse parseCliArguments(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments)
        if (argument == "--help") return CliParse{};
    if (arguments.empty()) return failure(kExitUsage, "no command given");

    const CommandInfo* info = nullptr;
    for (const CommandInfo& candidate : kCommands)
        if (arguments[0] == candidate.name) info = &candidate;
    if (!info) return failure(kExitUsage, "unknown command: " + arguments[0]);

    CliParse parse;
    CliCommand& command = parse.command;
    command.kind = info->kind;
    std::map<std::string_view, bool> seen;
    bool hasSource = false;
    bool hasFile = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const OptionInfo* option = nullptr;
        for (const OptionInfo& candidate : kOptions)
            if (argument == candidate.name) option = &candidate;
        if (!option) {
            if (info->takesFile && !hasFile && !argument.empty() && argument[0] != '-') {
                hasFile = true;
                command.readPath = argument;
                continue;
            }
            if (info->takesSongs && !argument.empty() && argument[0] != '-') {
                command.songPaths.push_back(argument);
                continue;
            }
            return failure(kExitUsage, argument.empty() || argument[0] == '-'
                                           ? "unknown option for " + arguments[0] + ": " + argument
                                           : "unexpected argument: " + argument);
        }
        if (!(info->groups & option->group))
            return failure(kExitUsage, arguments[0] + " does not take " + argument);
        if (option->group == kSourceOptions) {
            if (hasSource) return failure(kExitUsage, "give one source: --temperament, --scl or --offsets");
            hasSource = true;
        } else if (seen[option->name]) {
            return failure(kExitUsage, argument + " is given twice");
        }
        seen[option->name] = true;
        std::string value;
        if (option->takesValue) {
            if (i + 1 >= arguments.size()) return failure(kExitUsage, argument + " needs a value");
            value = arguments[++i];
        }
        if (option->name == std::string_view("--report")) command.report = true;
        if (option->name == std::string_view("--sent")) command.sent = true;
        if (option->name == std::string_view("--keys")) command.keys = true;
        if (auto failed = applyOption(option->name, value, command)) return *failed;
    }

    // An offset list is already relative to equal temperament as it is to be
    // sent: moving a zero note would undo the one its numbers were made with.
    if (command.source == CliSourceKind::Offsets && !seen["--zero"])
        command.fit.zeroNote = ZeroNote::None;
    if ((info->groups & kSourceOptions) && !hasSource)
        return failure(kExitUsage, arguments[0] + " needs a source: --temperament, --scl or --offsets");
    if (command.pitchBend) {
        for (const char* sysexOnly : {"--format", "--program", "--gap"})
            if (seen[sysexOnly])
                return failure(kExitUsage, std::string(sysexOnly) + " is for the SysEx method; --pitch-bend writes none");
        if (!seen["--parts"]) command.parts = 0xFFFF & ~kDrumChannels;
        if (!seen["--after-reset"]) command.song.resetGapMs = kDefaultBendResetGapMs;
    } else if (seen["--bend-range"]) {
        return failure(kExitUsage, "--bend-range goes with --pitch-bend");
    }
    const bool synthFile = command.output == CliOutputKind::Scala || command.output == CliOutputKind::KeyboardMap ||
                           command.output == CliOutputKind::AnaMark;
    for (const char* required : {"--format", "--parts"})
        if ((info->groups & kListOptions) && !seen[required] && !command.pitchBend && !synthFile)
            return failure(kExitUsage, arguments[0] + " needs " + required);
    command.fit.format = command.format;
    command.fit.form = command.mts.form;
    if (command.source == CliSourceKind::Offsets) {
        const OffsetRange range = offsetRange(command.format, command.mts.form);
        for (int k = 0; k < 12; ++k)
            if (command.offsetHundredths[k] < range.lowest || command.offsetHundredths[k] > range.highest)
                return failure(kExitBadInput, "--offsets: offset " + std::to_string(k + 1) + " lies beyond " +
                                                  offsetRangeText(range) + ", the range of " +
                                                  cliFormatWord(command.format, command.mts.form));
    }
    if (seen["--kbm"] && command.source != CliSourceKind::Scala)
        return failure(kExitUsage, "--kbm goes with --scl");
    for (const char* fit : {"--tonic", "--zero", "--a4"})
        if (seen["--kbm"] && seen[fit])
            return failure(kExitUsage, std::string("--kbm sets the keys and their frequency; ") + fit +
                                           " does not go with it");
    if (seen["--program"] && !isKeyBasedForm(command.mts.form))
        return failure(kExitUsage, "--program goes with --format mts-note or mts-bulk");
    if ((info->groups & kDeviceOptions) && !seen["--port"])
        return failure(kExitUsage, arguments[0] + " needs --port");
    if (info->takesFile) {
        if (!hasFile) return failure(kExitUsage, arguments[0] + " needs a file");
        const TuningFileKind kind = tuningFileKindFromName(command.readPath);
        if (kind == TuningFileKind::Scl)
            return failure(kExitUsage, command.readPath +
                                           ": a Scala scale holds no SysEx; use it as a source "
                                           "(--scl) of offsets, build or send");
        if (kind == TuningFileKind::Unknown)
            return failure(kExitUsage, command.readPath + ": read takes a .syx, .mid or .txt file");
    }
    if (info->takesSongs) {
        if (command.songPaths.empty()) return failure(kExitUsage, arguments[0] + " needs a song");
        if (seen["-o"] && seen["--out-dir"]) return failure(kExitUsage, "give -o or --out-dir, not both");
        if (seen["-o"] && command.songPaths.size() > 1)
            return failure(kExitUsage, "-o names the output of one song; give --out-dir for several");
    }
    return parse;
}
