#include "cli/CliOptionTable.h"

#include <algorithm>
#include <cstdio>

#include "tuning/NoteNames.h"
#include "tuning/Temperaments.h"
#include "tuning/TuningExport.h"
#include "tuning/TuningFileReader.h"

namespace {

constexpr CliCommandSet kOverview = cliCommandBit(CliCommandKind::Help);
constexpr CliCommandSet kOffsets = cliCommandBit(CliCommandKind::Offsets);
constexpr CliCommandSet kBuild = cliCommandBit(CliCommandKind::Build);
constexpr CliCommandSet kRead = cliCommandBit(CliCommandKind::Read);
constexpr CliCommandSet kSend = cliCommandBit(CliCommandKind::Send);
constexpr CliCommandSet kAnalyse = cliCommandBit(CliCommandKind::Analyse);
constexpr CliCommandSet kApply = cliCommandBit(CliCommandKind::Apply);
constexpr CliCommandSet kKeys = cliCommandBit(CliCommandKind::Keys);
constexpr CliCommandSet kPorts = cliCommandBit(CliCommandKind::Ports);
constexpr CliCommandSet kPlay = cliCommandBit(CliCommandKind::Play);
constexpr CliCommandSet kMtsEsp = cliCommandBit(CliCommandKind::MtsEsp);
constexpr CliCommandSet kEveryCommand = ~0u;
// The commands that tune from a source, and those that write SysEx (play
// by tuning messages).
constexpr CliCommandSet kTuning = kOffsets | kBuild | kSend | kAnalyse | kApply | kKeys | kPlay | kMtsEsp;
constexpr CliCommandSet kSysex = kBuild | kSend | kApply | kPlay;

std::optional<CliFault> badValue(const CliOptionRow& row, const std::string& value, const std::string& what) {
    return CliFault{kExitBadInput, std::string(row.name) + " " + value + ": " + what};
}

// A word outside an option's fixed list: the line is not the program's.
std::optional<CliFault> badWord(const CliOptionRow& row, const std::string& value, const std::string& what) {
    return CliFault{kExitUsage, std::string(row.name) + " '" + value + "': " + what};
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

std::optional<CliFault> setNumber(const CliOptionRow& row, const std::string& value, CliCommand& command) {
    const CliNumber& number = row.number;
    std::optional<double> parsed;
    if (number.decimals) {
        parsed = parseFrequency(value);
    } else if (const auto count = parseCount(value, static_cast<int32_t>(number.highest))) {
        parsed = *count;
    }
    if (!parsed || *parsed < number.lowest || *parsed > number.highest)
        return badValue(row, value,
                        std::string(number.what) + " must lie between " + cliNumberText(number.lowest) + " and " +
                            cliNumberText(number.highest) + number.unit);
    number.set(command, *parsed);
    return std::nullopt;
}

std::optional<CliFault> setTemperament(const CliOptionRow& row, const std::string& value, CliCommand& command) {
    if (!findTemperament(value)) return badValue(row, value, "no such temperament (velmarin-cli temperaments lists them)");
    command.source = CliSourceKind::Temperament;
    command.temperamentId = value;
    return std::nullopt;
}

std::optional<CliFault> setScala(const CliOptionRow&, const std::string& value, CliCommand& command) {
    command.source = CliSourceKind::Scala;
    command.scalaPath = value;
    return std::nullopt;
}

std::optional<CliFault> setKeyboardMap(const CliOptionRow&, const std::string& value, CliCommand& command) {
    command.keyboardMapPath = value;
    return std::nullopt;
}

std::optional<CliFault> setLayout(const CliOptionRow& row, const std::string& value, CliCommand& command) {
    if (value != "keys" && value != "pitch-classes") return badWord(row, value, "the layout is keys or pitch-classes");
    command.layout = value == "keys" ? ScaleLayout::Keys : ScaleLayout::PitchClasses;
    return std::nullopt;
}

std::optional<CliFault> setOffsets(const CliOptionRow& row, const std::string& value, CliCommand& command) {
    const ExactOffsetListParse list = parseExactOffsetList(value);
    if (!list.ok())
        return badValue(row, value,
                        list.badItem > 12       ? std::string("more than twelve offsets")
                        : list.tooManyDecimals ? "offset " + std::to_string(list.badItem) + " has more than two decimals"
                                               : "offset " + std::to_string(list.badItem) + " is missing or not a number");
    command.source = CliSourceKind::Offsets;
    command.offsetHundredths = list.hundredths;
    for (int k = 0; k < 12; ++k) command.offsets[k] = wholeCents(list.hundredths[k]);
    return std::nullopt;
}

std::optional<CliFault> setTonic(const CliOptionRow& row, const std::string& value, CliCommand& command) {
    const auto tonic = parseNoteName(value);
    if (!tonic) return badValue(row, value, "not a note name (C C# Db D D# Eb E F F# Gb G G# Ab A A# Bb B)");
    command.fit.tonic = *tonic;
    return std::nullopt;
}

std::optional<CliFault> setZero(const CliOptionRow& row, const std::string& value, CliCommand& command) {
    if (value != "tonic" && value != "a") return badWord(row, value, "the zero note is tonic or a");
    command.fit.zeroNote = value == "a" ? ZeroNote::A : ZeroNote::Tonic;
    return std::nullopt;
}

std::optional<CliFault> setFormat(const CliOptionRow& row, const std::string& value, CliCommand& command) {
    const CliFormatName* format = findFormatName(value);
    if (!format) return badWord(row, value, "the format is gs, xg or gm2, or gm2-2byte, mts-note or mts-bulk");
    command.format = format->format;
    command.mts.form = format->form;
    return std::nullopt;
}

std::optional<CliFault> setParts(const CliOptionRow& row, const std::string& value, CliCommand& command) {
    const auto parts = parsePartList(value);
    if (!parts) return badValue(row, value, "parts are numbers 1 to 16 and ranges a-b separated by commas, or all");
    command.parts = *parts;
    return std::nullopt;
}

// apply's -o names the tuned song; build's names a file whose kind follows
// its extension.
std::optional<CliFault> setOutput(const CliOptionRow& row, const std::string& value, CliCommand& command) {
    command.outputPath = value;
    if (command.kind == CliCommandKind::Apply) return std::nullopt;
    switch (savedFileKindFromName(value)) {
    case TuningFileKind::Mid: command.output = CliOutputKind::MidiFile; return std::nullopt;
    case TuningFileKind::Syx: command.output = CliOutputKind::Binary; return std::nullopt;
    case TuningFileKind::Txt: command.output = CliOutputKind::Text; return std::nullopt;
    default: break;
    }
    switch (synthFileKindFromName(value)) {
    case SynthFileKind::Scl: command.output = CliOutputKind::Scala; return std::nullopt;
    case SynthFileKind::Kbm: command.output = CliOutputKind::KeyboardMap; return std::nullopt;
    case SynthFileKind::Tun: command.output = CliOutputKind::AnaMark; return std::nullopt;
    case SynthFileKind::None: break;
    }
    return CliFault{kExitUsage, std::string(row.name) + " " + value +
                                    ": the file name must end with .mid, .syx or .txt (or, for software "
                                    "synthesizers, .scl, .kbm or .tun)"};
}

std::optional<CliFault> setPort(const CliOptionRow&, const std::string& value, CliCommand& command) {
    command.port = value;
    return std::nullopt;
}

std::optional<CliFault> setInputPort(const CliOptionRow&, const std::string& value, CliCommand& command) {
    command.inPort = value;
    return std::nullopt;
}

std::optional<CliFault> setMethod(const CliOptionRow& row, const std::string& value, CliCommand& command) {
    const struct {
        const char* word;
        RetuneMethod method;
    } methods[] = {{"bend", RetuneMethod::PitchBend}, {"mpe", RetuneMethod::Mpe}, {"tuning", RetuneMethod::TuningMessages}};
    for (const auto& method : methods)
        if (value == method.word) {
            command.retune.method = method.method;
            return std::nullopt;
        }
    return badWord(row, value, "the method is bend, mpe or tuning");
}

std::optional<CliFault> setChannels(const CliOptionRow& row, const std::string& value, CliCommand& command) {
    const auto channels = parsePartList(value);
    if (!channels) return badValue(row, value, "channels are numbers 1 to 16 and ranges a-b separated by commas, or all");
    command.retune.outputChannels = static_cast<uint16_t>(*channels);
    return std::nullopt;
}

std::optional<CliFault> setDrums(const CliOptionRow& row, const std::string& value, CliCommand& command) {
    if (value == "none") {
        command.retune.untouchedChannels = 0;
        return std::nullopt;
    }
    const auto channel = parseCount(value, 16);
    if (!channel || *channel < 1) return badValue(row, value, "the drums' channel is 1 to 16, or none");
    command.retune.untouchedChannels = static_cast<uint16_t>(1u << (*channel - 1));
    return std::nullopt;
}

std::optional<CliFault> setOutputFolder(const CliOptionRow&, const std::string& value, CliCommand& command) {
    command.outputFolder = value;
    return std::nullopt;
}

// A switch puts true where its row's `flag` points.
std::optional<CliFault> setSwitch(const CliOptionRow& row, const std::string&, CliCommand& command) {
    if (row.flag) row.flag(command) = true;
    return std::nullopt;
}

bool hasSource(const CliLine& line) { return line.command.source != CliSourceKind::None; }
bool hasTuningProgram(const CliLine& line) { return isKeyBasedForm(line.command.mts.form); }
bool hasReadFile(const CliLine& line) { return !line.command.readPath.empty(); }
bool hasSongs(const CliLine& line) { return !line.command.songPaths.empty(); }
bool sendsTuningMessages(const CliLine& line) { return line.command.retune.method == RetuneMethod::TuningMessages; }
bool bendsNotes(const CliLine& line) { return line.command.retune.method == RetuneMethod::PitchBend; }
bool playsMpe(const CliLine& line) { return line.command.retune.method == RetuneMethod::Mpe; }
bool retunesNotes(const CliLine& line) { return !sendsTuningMessages(line); }
bool hasSeveralSongs(const CliLine& line) { return line.command.songPaths.size() > 1; }
// Pitch bends, MPE and the files of software synthesizers carry no SysEx.
bool writesNoSysex(const CliLine& line) {
    const CliOutputKind output = line.command.output;
    return line.command.pitchBend || output == CliOutputKind::Scala || output == CliOutputKind::KeyboardMap ||
           output == CliOutputKind::AnaMark ||
           (line.command.kind == CliCommandKind::Play && !sendsTuningMessages(line));
}

}  // namespace

bool CliLine::has(std::string_view option) const {
    return std::find(given.begin(), given.end(), option) != given.end();
}

const std::vector<CliCommandRow>& cliCommandRows() {
    static const std::vector<CliCommandRow> rows = {
        {"temperaments", CliCommandKind::Temperaments, CliOperands::None},
        {"offsets", CliCommandKind::Offsets, CliOperands::None},
        {"build", CliCommandKind::Build, CliOperands::None},
        {"read", CliCommandKind::Read, CliOperands::OneFile},
        {"ports", CliCommandKind::Ports, CliOperands::None},
        {"send", CliCommandKind::Send, CliOperands::None},
        {"analyse", CliCommandKind::Analyse, CliOperands::None},
        {"apply", CliCommandKind::Apply, CliOperands::Songs},
        {"keys", CliCommandKind::Keys, CliOperands::None},
        {"play", CliCommandKind::Play, CliOperands::None},
        {"mts-esp", CliCommandKind::MtsEsp, CliOperands::None},
    };
    return rows;
}

const std::vector<CliUsageForm>& cliUsageForms() {
    static const std::vector<CliUsageForm> forms = {
        {CliCommandKind::Temperaments, "temperaments", "the built-in temperaments: id, a tab, the name"},
        {CliCommandKind::Keys, "keys SOURCE [FIT] [--kbm FILE]",
         "the 128 keys: key, Hz, cents from the key's equal-tempered\n"
         "pitch at A4 = 440 Hz (tab-separated; - - for an unmapped key)"},
        {CliCommandKind::Offsets, "offsets SOURCE [FIT] [--report] [--format F]",
         "the twelve offsets C..B in cents, or the fit report;\n"
         "with two decimals where the form F carries them"},
        {CliCommandKind::Build,
         "build SOURCE [FIT] --format F --parts LIST [--program N] [--division N]\n"
         "[--delta N] [-o FILE]",
         "the SysEx as hex text on standard output, or into FILE\n"
         "(.mid, .syx or .txt); or the tuning for software\n"
         "synthesizers, without --format and --parts: a Scala scale\n"
         "(.scl) and keyboard map (.kbm), or all 128 keys (.tun)"},
        {CliCommandKind::Read, "read FILE [--keys]",
         "format, parts and offsets of the tuning in a .syx, .mid\n"
         "or .txt file; --keys: the lines of keys for the keys that\n"
         "its single-note changes or bulk dump set"},
        {CliCommandKind::Ports, "ports", "the MIDI output devices: number, a tab, the name"},
        {CliCommandKind::Ports, "ports --inputs", "the MIDI input devices, listed the same way"},
        {CliCommandKind::Send,
         "send SOURCE [FIT] --format F --parts LIST [--program N] --port DEVICE\n"
         "[--pause MS]",
         "the SysEx sent to a MIDI output device"},
        {CliCommandKind::Analyse, "analyse SOURCE [FIT] [--sent] [--format F]",
         "the twelve fifths and twelve major thirds: kind, lower and\n"
         "upper note, cents from pure, fraction of the Pythagorean\n"
         "comma, beats per second (tab-separated); --sent analyses\n"
         "the rounded offsets that would be sent"},
        {CliCommandKind::Apply,
         "apply SONG... SOURCE [FIT] --format F --parts LIST [--program N]\n"
         "[-o FILE | --out-dir DIR] [--after-reset MS] [--gap MS] [--keep-tuning]\n"
         "[--overwrite]",
         "the tuning written into each song (a .mid or .rmi file)\n"
         "after its resets, as NAME-tuned.mid beside it unless -o\n"
         "(one song) or --out-dir (same names there) says where;\n"
         "one line per song on standard output"},
        {CliCommandKind::Apply,
         "apply SONG... SOURCE [FIT] --pitch-bend [--parts LIST] [--bend-range N]\n"
         "[-o FILE | --out-dir DIR] [--after-reset MS] [--keep-tuning] [--overwrite]",
         "the tuning written as pitch bends, for players that ignore\n"
         "tuning messages: notes move to free channels bent to their\n"
         "pitch; --parts names the song's channels (default all but 10)"},
        {CliCommandKind::Play,
         "play SOURCE [FIT] --in DEVICE --port DEVICE [--method bend|mpe]\n"
         "[--channels LIST] [--bend-range N] [--drums none|N]\n"
         "[--mpe-channels N] [--mpe-bend-range N] [--mts-esp [--reset]]",
         "a MIDI keyboard played through to a synthesizer, retuned\n"
         "live until Ctrl+C: each note on a channel bent to its pitch\n"
         "(bend, for any synthesizer), or on a member channel of an\n"
         "MPE zone (mpe); a line as it starts and one as it ends"},
        {CliCommandKind::Play,
         "play SOURCE [FIT] --in DEVICE --port DEVICE --method tuning --format F\n"
         "--parts LIST [--program N] [--mts-esp [--reset]]",
         "the same with the tuning's SysEx sent first and after every\n"
         "reset from the keyboard, for synthesizers that take it"},
        {CliCommandKind::MtsEsp, "mts-esp SOURCE [FIT] [--kbm FILE] [--reset]",
         "the tuning published to MTS-ESP clients (software\n"
         "instruments in a DAW) as the session's master until Ctrl+C;\n"
         "--reset first clears a master a crashed program left behind"},
    };
    return forms;
}

const std::vector<CliOptionRow>& cliOptionRows() {
    using S = CliSection;
    static const std::vector<CliOptionRow> rows = {
        {"--temperament", "ID", S::Source, kTuning, setTemperament,
         "a built-in temperament (see: velmarin-cli temperaments)"},
        {"--scl", "FILE", S::Source, kTuning, setScala,
         "a Scala scale file; one of more than twelve notes or a\n"
         "period other than 2/1 tunes the keys, degree 0 on the\n"
         "tonic of octave 4 (C4 = key 60; with --zero a, A4 keeps its\n"
         "pitch), sent with mts-note or mts-bulk"},
        {"--kbm", "FILE", S::Source, kTuning, setKeyboardMap,
         "with --scl: a Scala keyboard map, which sets the keys each\n"
         "degree plays and their frequency (instead of FIT)"},
        {"--layout", "keys|pitch-classes", S::Source, kTuning, setLayout,
         "with --scl: keys lays the scale one degree a key, degree 0\n"
         "on the tonic of octave 4 as above; pitch-classes fits it\n"
         "onto C..B or refuses it (default: C..B, or the keys where\n"
         "two degrees would fall on one pitch class)"},
        {"--offsets", "LIST", S::Source, kTuning, setOffsets,
         "twelve numbers for C..B, e.g. \"0,-10,-8,-6,-10,-2,-12,-4,-8,-12,-4,-8\"\n"
         "(at most two decimals: \"0,-5.38,-10.75,...\")"},
        {"--tonic", "NOTE", S::Fit, kTuning, setTonic, "C C# Db D D# Eb E F F# Gb G G# Ab A A# Bb B (default C)"},
        {"--zero", "tonic|a", S::Fit, kTuning, setZero,
         "the note kept at its equal-tempered pitch (default tonic;\n"
         "an --offsets list is kept as it is unless --zero is given)"},
        {"--a4", "HZ", S::Fit, kTuning, setNumber, "the frequency of A4, {range} (default {default})",
         {"the frequency", kMinA4Hz, kMaxA4Hz, " Hz", true, [](const CliCommand& c) { return c.fit.a4Hz; },
          [](CliCommand& c, double v) { c.fit.a4Hz = v; }}},
        {"--format", "F", S::Options, kSysex | kOffsets | kAnalyse, setFormat,
         "the SysEx dialect: gs, xg or gm2; or gm2 in another form\n"
         "of the MIDI Tuning Standard: gm2-2byte (scale/octave,\n"
         "2-byte), mts-note (single-note changes of all keys) or\n"
         "mts-bulk (a bulk dump of all keys)"},
        {"--parts", "LIST", S::Options, kSysex, setParts,
         "parts or channels 1-16 and ranges a-b, separated by\n"
         "commas, or all"},
        {"--program", "N", S::Options, kSysex, setNumber,
         "the tuning program of mts-note and mts-bulk, {range}\n"
         "(default {default}), which the channels select",
         {"the tuning program", 0, kMaxTuningProgram, "", false, [](const CliCommand& c) { return 1.0 * c.mts.program; },
          [](CliCommand& c, double v) { c.mts.program = static_cast<uint8_t>(v); }}},
        {"--division", "N", S::Options, kBuild, setNumber,
         "ticks per quarter note of a .mid, {range} (default {default})",
         {"the division", kMinDivision, kMaxDivision, "", false, [](const CliCommand& c) { return 1.0 * c.division; },
          [](CliCommand& c, double v) { c.division = static_cast<int32_t>(v); }}},
        {"--delta", "N", S::Options, kBuild, setNumber,
         "ticks between the messages of a .mid, {range} (default {default})",
         {"the delta", kMinDelta, kMaxDelta, "", false, [](const CliCommand& c) { return 1.0 * c.delta; },
          [](CliCommand& c, double v) { c.delta = static_cast<int32_t>(v); }}},
        {"-o", "FILE", S::CommandOnly, kBuild | kApply, setOutput,
         "build: the file written, its kind by its extension (.mid,\n"
         ".syx, .txt, .scl, .kbm or .tun); apply: the one song's copy"},
        {"--report", nullptr, S::CommandOnly, kOffsets, setSwitch, "the fit report instead of the offsets", {},
         [](CliCommand& c) -> bool& { return c.report; }},
        {"--sent", nullptr, S::CommandOnly, kAnalyse, setSwitch, "the rounded offsets that would be sent", {},
         [](CliCommand& c) -> bool& { return c.sent; }},
        {"--keys", nullptr, S::CommandOnly, kRead, setSwitch, "the keys that single-note changes or a bulk dump set",
         {}, [](CliCommand& c) -> bool& { return c.keys; }},
        {"--inputs", nullptr, S::CommandOnly, kPorts, setSwitch, "the MIDI input devices instead of the outputs", {},
         [](CliCommand& c) -> bool& { return c.inputs; }},
        {"--reset", nullptr, S::CommandOnly, kMtsEsp | kPlay, setSwitch,
         "take the place of a master that a crashed program left\n"
         "registered (a live one's clients are cut off)",
         {}, [](CliCommand& c) -> bool& { return c.reset; }},
        {"--port", "DEVICE", S::Options, kSend | kPlay, setPort, "a device's number or name as velmarin-cli ports lists it"},
        {"--pause", "MS", S::Options, kSend, setNumber, "milliseconds between messages, {range} (default {default})",
         {"the pause", kMinSysexPause, kMaxSysexPauseMs, " ms", false,
          [](const CliCommand& c) { return 1.0 * c.pauseMs; },
          [](CliCommand& c, double v) { c.pauseMs = static_cast<uint32_t>(v); }}},
        {"--out-dir", "DIR", S::Options, kApply, setOutputFolder, "apply: where the tuned songs go, under their own names"},
        {"--after-reset", "MS", S::Options, kApply, setNumber,
         "apply: from a reset to the tuning, {range} (default {default})\n"
         "(with --pitch-bend, to the bend range: default " +
             cliNumberText(kDefaultBendResetGapMs) + ")",
         {"the time", kMinSongGap, kMaxSongGapMs, " ms", false,
          [](const CliCommand& c) { return 1.0 * c.song.resetGapMs; },
          [](CliCommand& c, double v) { c.song.resetGapMs = static_cast<uint32_t>(v); }}},
        {"--gap", "MS", S::Options, kApply, setNumber, "apply: between two messages, {range} (default {default})",
         {"the time", kMinSongGap, kMaxSongGapMs, " ms", false,
          [](const CliCommand& c) { return 1.0 * c.song.messageGapMs; },
          [](CliCommand& c, double v) { c.song.messageGapMs = static_cast<uint32_t>(v); }}},
        {"--keep-tuning", nullptr, S::Options, kApply, setSwitch,
         "apply: keep the tuning messages a song sets itself up with", {},
         [](CliCommand& c) -> bool& { return c.song.keepOldTuning; }},
        {"--pitch-bend", nullptr, S::Options, kApply, setSwitch, "apply: the tuning as pitch bends instead of SysEx", {},
         [](CliCommand& c) -> bool& { return c.pitchBend; }},
        {"--bend-range", "N", S::Options, kApply | kPlay, setNumber,
         "apply --pitch-bend: the bend range written, {range}\n"
         "semitones (default as wide as the song and tuning need)\n"
         "play: the range set on every channel (default as wide as\n"
         "the keyboard's wheel and the tuning need)",
         {"the bend range", kMinBendRange, kMaxBendRange, " semitones", false,
          [](const CliCommand& c) { return 1.0 * c.bendRange; },
          [](CliCommand& c, double v) { c.bendRange = static_cast<int32_t>(v); }}},
        {"--overwrite", nullptr, S::Options, kApply, setSwitch,
         "apply: replace an existing output, the song itself included", {},
         [](CliCommand& c) -> bool& { return c.overwrite; }},
        {"--in", "DEVICE", S::Options, kPlay, setInputPort,
         "play: the MIDI input device (the keyboard), its number or\n"
         "name as velmarin-cli ports --inputs lists it"},
        {"--method", "bend|mpe|tuning", S::Options, kPlay, setMethod,
         "play: how the synthesizer is retuned: by pitch bends (bend,\n"
         "the default), as an MPE zone (mpe), or by the tuning's SysEx\n"
         "(tuning, with --format and --parts)"},
        {"--channels", "LIST", S::Options, kPlay, setChannels,
         "play: the channels the notes may take, 1-16 and ranges a-b\n"
         "separated by commas, or all (default all but the drums')"},
        {"--drums", "none|N", S::Options, kPlay, setDrums,
         "play: the channel passed on as it comes, never retuned (the\n"
         "drums), 1 to 16 or none (default 10)"},
        {"--mpe-channels", "N", S::Options, kPlay, setNumber,
         "play --method mpe: member channels 2 to N + 1 of the zone\n"
         "channel 1 manages, {range} (default {default})",
         {"the count of member channels", 1, kMaxMpeMemberChannels, "", false,
          [](const CliCommand& c) { return 1.0 * c.retune.mpeMemberChannels; },
          [](CliCommand& c, double v) { c.retune.mpeMemberChannels = static_cast<int>(v); }}},
        {"--mpe-bend-range", "N", S::Options, kPlay, setNumber,
         "play --method mpe: the member channels' bend range, {range}\n"
         "semitones (default {default})",
         {"the bend range", kMinBendRange, kMaxMpeBendRange, " semitones", false,
          [](const CliCommand& c) { return 1.0 * c.retune.mpeBendRange; },
          [](CliCommand& c, double v) { c.retune.mpeBendRange = static_cast<int>(v); }}},
        {"--mts-esp", nullptr, S::Options, kPlay, setSwitch,
         "play: the tuning published to MTS-ESP clients as well, as\n"
         "the session's master (see velmarin-cli mts-esp)",
         {}, [](CliCommand& c) -> bool& { return c.mtsEsp; }},
        // Answered before any option is read.
        {"--help", nullptr, S::Options, kEveryCommand, setSwitch, "this text"},
        {"--version", nullptr, S::Options, kOverview, setSwitch, "the version of velmarin-cli"},
    };
    return rows;
}

const std::vector<CliRule>& cliRules() {
    using K = CliRuleKind;
    const char* const kOneSource = ": give one source";
    const char* const kSysexMethod = ": it is for the SysEx method";
    const char* const kMapSetsKeys = ": the map sets the keys and their frequency";
    static const std::vector<CliRule> rules = {
        {K::Excludes, "--scl", "--temperament", kOneSource},
        {K::Excludes, "--offsets", "--temperament", kOneSource},
        {K::Excludes, "--offsets", "--scl", kOneSource},
        {K::Requires, "a source: --temperament, --scl or --offsets", nullptr, nullptr, hasSource, kTuning},
        {K::Excludes, "--format", "--pitch-bend", kSysexMethod},
        {K::Excludes, "--program", "--pitch-bend", kSysexMethod},
        {K::Excludes, "--gap", "--pitch-bend", kSysexMethod},
        {K::Needs, "--bend-range", "--pitch-bend", nullptr, nullptr, kApply},
        {K::Needs, "--format", "--method tuning", nullptr, sendsTuningMessages, kPlay},
        {K::Needs, "--parts", "--method tuning", nullptr, sendsTuningMessages, kPlay},
        {K::Needs, "--program", "--method tuning", nullptr, sendsTuningMessages, kPlay},
        {K::Needs, "--channels", "--method bend", nullptr, bendsNotes, kPlay},
        {K::Needs, "--bend-range", "--method bend", nullptr, bendsNotes, kPlay},
        {K::Needs, "--drums", "--method bend or mpe", nullptr, retunesNotes, kPlay},
        {K::Needs, "--mpe-channels", "--method mpe", nullptr, playsMpe, kPlay},
        {K::Needs, "--mpe-bend-range", "--method mpe", nullptr, playsMpe, kPlay},
        {K::Needs, "--reset", "--mts-esp", nullptr, nullptr, kPlay},
        {K::Requires, "--format", nullptr, nullptr, writesNoSysex, kSysex},
        {K::Requires, "--parts", nullptr, nullptr, writesNoSysex, kSysex},
        {K::Needs, "--kbm", "--scl", nullptr},
        {K::Needs, "--layout", "--scl", nullptr},
        {K::Excludes, "--layout", "--kbm", ": the map lays the scale on the keys"},
        {K::Excludes, "--tonic", "--kbm", kMapSetsKeys},
        {K::Excludes, "--zero", "--kbm", kMapSetsKeys},
        {K::Excludes, "--a4", "--kbm", kMapSetsKeys},
        {K::Needs, "--program", "--format mts-note or mts-bulk", nullptr, hasTuningProgram},
        {K::Requires, "--in", nullptr, nullptr, nullptr, kPlay},
        {K::Requires, "--port", nullptr, nullptr, nullptr, kSend | kPlay},
        {K::Requires, "a file", nullptr, nullptr, hasReadFile, kRead},
        {K::Requires, "a song", nullptr, nullptr, hasSongs, kApply},
        {K::Excludes, "-o", "--out-dir", ": give one, not both"},
        {K::Excludes, "-o", "several songs", ": it names the output of one song; give --out-dir for several",
         hasSeveralSongs},
    };
    return rules;
}

const CliCommandRow* findCliCommand(std::string_view name) {
    for (const CliCommandRow& row : cliCommandRows())
        if (name == row.name) return &row;
    return nullptr;
}

const CliOptionRow* findCliOption(std::string_view name) {
    for (const CliOptionRow& row : cliOptionRows())
        if (name == row.name) return &row;
    return nullptr;
}

std::string cliNumberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}
