#include "cli/CliCommands.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "base/FileReplacement.h"
#include "base/LoadFileBytes.h"
#include "base/SystemErrorText.h"
#include "cli/ApplyCommand.h"
#include "cli/CliTexts.h"
#include "midiout/MidiDeviceLookup.h"
#include "midiout/SysexSender.h"
#include "output/SysexSmf.h"
#include "song/SongBends.h"
#include "sysex/HexListing.h"
#include "tuning/KeyboardTuning.h"
#include "tuning/NoteNames.h"
#include "tuning/OpenedFiles.h"
#include "tuning/ScalaScale.h"
#include "tuning/Temperaments.h"
#include "tuning/TuningAnalysis.h"
#include "tuning/TuningExport.h"
#include "tuning/TuningFileReader.h"

namespace {

const char kProgram[] = "velmarin-cli: ";

// Hundredths of a cent as the range names them: "-64..63", "-100..99.99".
std::string heldRangeText(const CliCommand& command) {
    if (command.format == TuningFormat::GM2 && isKeyBasedForm(command.mts.form)) return "keys 0..127";
    const OffsetRange range = offsetRange(command.format, command.mts.form);
    return hundredthsText(range.lowest) + ".." + hundredthsText(range.highest);
}

// The command's source as it sounds: twelve pitch classes fitted, or a
// keyboard tuning when the scale or its map tunes keys.
struct SourceTuning {
    bool keyboard = false;
    KeyboardTuning keys;  // keyboard
    TuningFit fit;        // twelve pitch classes
    std::size_t scaleSize = 0;
    std::optional<ScaleOnKeys> onKeys;  // the scale and the map that made `keys`
    std::string description;            // of the source, for the files of software synthesizers
};

template <class Read>
bool loadScalaText(const std::string& path, std::ostream& err, Read read) {
    std::string bytes;
    const LoadedFile loaded = loadFileBytes(path, kMaxScalaFileBytes, bytes);
    if (!loaded.ok()) {
        err << kProgram << path << ": " << loadErrorText(loaded, kMaxScalaFileBytes) << '\n';
        return false;
    }
    return read(bytes);
}

// The keyboard tuning of the scale with the command's map, or with the linear
// map when it names none; false (with the message on `err`) when it fails.
bool keyboardOfScale(const CliCommand& command, const ScalaScale& scale, std::ostream& err, KeyboardTuning& keys,
                     KeyboardMap& map) {
    map = linearKeyboardMap(command.fit.tonic, command.fit.a4Hz, command.fit.zeroNote);
    const std::string& path = command.keyboardMapPath;
    if (!path.empty() && !loadScalaText(path, err, [&](const std::string& bytes) {
            const KeyboardMapReadResult read = parseKeyboardMap(bytes);
            if (!read.ok()) {
                err << kProgram << path << ": " << keyboardMapErrorText(read) << '\n';
                return false;
            }
            if (read.tooFewKeyLines())
                err << kProgram << path << ": warning: " << keyboardMapWarningText(read) << '\n';
            map = read.map;
            return true;
        }))
        return false;
    const KeyboardTuningResult tuning = keyboardTuning(scale, map);
    if (!tuning.ok()) {
        err << kProgram << (path.empty() ? command.scalaPath : path) << ": " << keyboardTuningErrorText(tuning, scale)
            << '\n';
        return false;
    }
    keys = tuning.tuning;
    return true;
}

// Names the held and unmapped notes on `err`; false for a bad fit.
bool fitPitchClasses(const CliCommand& command, const PitchClassOffsets& offsets, const FitOptions& options,
                     std::ostream& err, TuningFit& fit) {
    const FitResult result = fitOffsets(offsets, options);
    if (!result.ok()) {
        err << kProgram << fitErrorText(result.error) << '\n';
        return false;
    }
    fit = result.fit;
    if (!fit.heldNotes.empty())
        err << kProgram << "held at a limit (" << heldRangeText(command) << "): " << pitchClassList(fit.heldNotes, " ")
            << '\n';
    if (fit.coarseSemitones != 0)
        err << kProgram << "the A4 shift goes as coarse tuning: " << fit.coarseSemitones << " semitone"
            << (fit.coarseSemitones == 1 || fit.coarseSemitones == -1 ? "" : "s") << " on every channel\n";
    if (!fit.unmappedNotes.empty())
        err << kProgram << "reached by no degree of the scale (sent as 0 before the zero note): "
            << pitchClassList(fit.unmappedNotes, " ") << '\n';
    return true;
}

bool tuneSource(const CliCommand& command, std::ostream& err, SourceTuning& tuning) {
    PitchClassOffsets offsets;
    FitOptions options = command.fit;
    switch (command.source) {
    case CliSourceKind::Temperament:
        offsets = temperamentOffsets(*findTemperament(command.temperamentId));
        tuning.description = findTemperament(command.temperamentId)->englishName;
        break;
    case CliSourceKind::Offsets:
        for (int k = 0; k < 12; ++k) offsets.cents[k] = command.offsetHundredths[k] / 100.0;
        tuning.description = "Twelve offsets from equal temperament";
        break;
    case CliSourceKind::Scala: {
        ScalaScale scale;
        if (!loadScalaText(command.scalaPath, err, [&](const std::string& bytes) {
                ScalaReadResult read = parseScala(bytes);
                if (!read.ok()) err << kProgram << command.scalaPath << ": " << scalaErrorText(read) << '\n';
                scale = std::move(read.scale);
                return read.ok();
            }))
            return false;
        tuning.scaleSize = scale.pitches.size();
        tuning.description = scale.description;
        if (!command.keyboardMapPath.empty() || scaleNeedsKeyboard(scale)) {
            KeyboardMap map;
            if (!keyboardOfScale(command, scale, err, tuning.keys, map)) return false;
            tuning.onKeys = ScaleOnKeys{std::move(scale), std::move(map)};
            const std::optional<KeyboardPitchClasses> classes = keyboardPitchClasses(tuning.keys);
            tuning.keyboard = !classes;
            if (tuning.keyboard) return true;
            offsets = classes->offsets;
            options.tonic = 0;
            options.zeroNote = ZeroNote::None;
            options.a4Hz = classes->a4Hz;
            break;
        }
        const ScaleMapResult mapped = mapScaleToPitchClasses(scale);
        if (!mapped.ok()) {
            err << kProgram << command.scalaPath << ": " << scaleMapErrorText(mapped) << '\n';
            return false;
        }
        offsets = mapped.offsets;
        break;
    }
    case CliSourceKind::None:
        return false;
    }
    return fitPitchClasses(command, offsets, options, err, tuning.fit);
}

// The twelve pitch classes of the source; a keyboard tuning is refused,
// naming what can take it.
bool fitSource(const CliCommand& command, std::ostream& err, TuningFit& fit) {
    SourceTuning tuning;
    if (!tuneSource(command, err, tuning)) return false;
    if (tuning.keyboard) {
        err << kProgram << command.scalaPath << ": " << keyboardOnlyText(tuning.scaleSize)
            << " (velmarin-cli keys prints them; build, send and apply carry them with --format mts-note or "
               "mts-bulk)\n";
        return false;
    }
    fit = tuning.fit;
    return true;
}

// With no preset to take it from, a bulk dump is named "Velmarin".
bool buildList(const CliCommand& command, std::ostream& err, TuningListing& list) {
    SourceTuning tuning;
    if (!tuneSource(command, err, tuning)) return false;
    std::optional<TuningListing> built;
    if (tuning.keyboard) {
        if (command.format != TuningFormat::GM2 || !isKeyBasedForm(command.mts.form)) {
            err << kProgram << command.scalaPath << ": " << keyboardOnlyText(tuning.scaleSize) << "; "
                << cliFormatWord(command.format, command.mts.form)
                << " cannot carry them: give --format mts-note or mts-bulk\n";
            return false;
        }
        const KeyOffsets keys = keyOffsets(tuning.keys);
        std::vector<int> held;
        for (int key = 0; key < kKeyboardKeyCount; ++key)
            if (keys[key] && keyTargetHeld(key, *keys[key])) held.push_back(key);
        if (!held.empty()) err << kProgram << "held at a limit (keys 0..127): keys " << numberList(held) << '\n';
        const std::size_t unmapped = tuning.keys.mapped.size() - tuning.keys.mapped.count();
        if (unmapped != 0)
            err << kProgram << unmapped << " keys that the map leaves unmapped are sent as no change (7F 7F 7F)\n";
        built = buildKeyboardListing(command.mts, keys, command.parts);
    } else {
        ScaleDataBytes dataBytes;
        built = buildTuningListingExact(command.format, command.mts, tuning.fit.exactOffsets(), command.parts,
                                        dataBytes);
    }
    if (!built) return false;
    list = *built;
    return true;
}

// key, Hz with four decimals, cents from the key's equal-tempered pitch at
// A4 = 440 Hz with two; "-" for both of an unmapped key.
int printKeys(const CliCommand& command, std::ostream& out, std::ostream& err) {
    SourceTuning tuning;
    if (!tuneSource(command, err, tuning)) return kExitBadInput;
    for (int key = 0; key < kKeyboardKeyCount; ++key) {
        std::optional<double> hz;
        if (tuning.keyboard) {
            if (tuning.keys.mapped.test(static_cast<std::size_t>(key))) hz = tuning.keys.hz[key];
        } else {
            const NoteFit& note = tuning.fit.notes[key % 12];
            hz = 440.0 * std::exp2((key - 69 + tuning.fit.coarseSemitones) / 12.0 + note.exactCents / 1200.0);
        }
        out << keyLineText(key, hz) << '\n';
    }
    return kExitSuccess;
}

int listTemperaments(std::ostream& out) {
    for (const Temperament& temperament : builtInTemperaments())
        out << temperament.id << '\t' << temperament.englishName << '\n';
    return kExitSuccess;
}

int printOffsets(const CliCommand& command, std::ostream& out, std::ostream& err) {
    TuningFit fit;
    if (!fitSource(command, err, fit)) return kExitBadInput;
    if (command.report) {
        out << formatFitReport(fit);
    } else {
        for (int k = 0; k < 12; ++k)
            out << (k ? " " : "")
                << (fit.fractions ? hundredthsText(fit.notes[k].sentHundredths) : std::to_string(fit.notes[k].sent));
        out << '\n';
    }
    return kExitSuccess;
}

// The file name without its folders, for the comment that opens a file.
std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The tuning itself as software synthesizers read it: a keyboard tuning's
// scale and map as they came, twelve pitch classes as a 12-note scale from
// the tonic with its map.
int writeSynthFile(const CliCommand& command, std::ostream& err) {
    SourceTuning tuning;
    if (!tuneSource(command, err, tuning)) return kExitBadInput;
    const ScaleOnKeys onKeys =
        tuning.onKeys ? *tuning.onKeys : twelveToneScale(tuning.fit, command.fit.tonic, tuning.description);
    const std::string name = baseName(command.outputPath);
    std::string text;
    if (command.output == CliOutputKind::Scala) {
        text = scalaScaleText(onKeys.scale, name);
    } else if (command.output == CliOutputKind::KeyboardMap) {
        text = keyboardMapText(onKeys.map, name);
    } else {
        const KeyboardTuningResult keys = keyboardTuning(onKeys.scale, onKeys.map);
        if (!keys.ok()) return kExitBadInput;  // the source's own tuning, made the same way, passed
        text = anaMarkTuningText(keys.tuning, onKeys.scale.description);
    }
    if (const SystemError error = writeFileReplacing(command.outputPath, text.data(), text.size())) {
        err << kProgram << command.outputPath << ": cannot be written: " << systemErrorText(error) << '\n';
        return kExitBadInput;
    }
    return kExitSuccess;
}

int buildOutput(const CliCommand& command, std::ostream& out, std::ostream& err) {
    if (command.output == CliOutputKind::Scala || command.output == CliOutputKind::KeyboardMap ||
        command.output == CliOutputKind::AnaMark)
        return writeSynthFile(command, err);
    TuningListing list;
    if (!buildList(command, err, list)) return kExitBadInput;
    std::string text;
    ByteBuffer image;
    const void* bytes = nullptr;
    std::size_t count = 0;
    switch (command.output) {
    case CliOutputKind::StandardOutput:
    case CliOutputKind::Text:
        text = formatHexListing(list);
        bytes = text.data();
        count = text.size();
        break;
    case CliOutputKind::Scala:
    case CliOutputKind::KeyboardMap:
    case CliOutputKind::AnaMark:
        break;  // writeSynthFile's, above
    case CliOutputKind::Binary:
        bytes = list.data();
        count = list.sysexLength;
        break;
    case CliOutputKind::MidiFile:
        count = buildTuningSmf(list.data(), list.sysexLength, list.channelMessages(), list.channelLength,
                               command.division, command.delta, image);
        if (count == 0) {
            err << kProgram << "out of memory\n";
            return kExitBadInput;
        }
        bytes = image.data();
        break;
    }
    if (command.output == CliOutputKind::StandardOutput) {
        // Whether it arrived is checked once for every command, in main.
        out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(count));
        return kExitSuccess;
    }
    if (const SystemError error = writeFileReplacing(command.outputPath, bytes, count)) {
        err << kProgram << command.outputPath << ": cannot be written: " << systemErrorText(error)
            << '\n';
        return kExitBadInput;
    }
    return kExitSuccess;
}

// The keys a key-based file sets, as `keys` prints them.
int printReadKeys(const CliCommand& command, const TuningReadResult& result, std::ostream& out, std::ostream& err) {
    if (result.format != TuningFormat::GM2 || !isKeyBasedForm(result.mtsForm)) {
        err << kProgram << command.readPath
            << ": --keys: the file tunes channels, not keys (it holds no single-note changes or bulk dump)\n";
        return kExitBadInput;
    }
    for (int key = 0; key < kKeyboardKeyCount; ++key) {
        std::optional<double> hz;
        if (const std::optional<int32_t> steps = result.keySteps[key])
            hz = 440.0 * std::exp2((*steps / static_cast<double>(kMtsStepsPerSemitone) - 69.0) / 12.0);
        out << keyLineText(key, hz) << '\n';
    }
    return kExitSuccess;
}

int readBack(const CliCommand& command, std::ostream& out, std::ostream& err) {
    const OpenedTuningFile opened = openTuningFile(platformFileSystem(), command.readPath);
    if (!opened.load.ok()) {
        err << kProgram << command.readPath << ": " << loadErrorText(opened.load, kMaxTuningFileBytes) << '\n';
        return kExitBadInput;
    }
    const TuningReadResult& result = opened.read;
    // The keys are read as they are: what the twelve offsets made of them is beside the point.
    for (const TuningReadWarning& warning : result.warnings)
        if (!command.keys || !aboutTwelveOffsets(warning.kind))
            err << kProgram << command.readPath << ": warning: " << tuningWarningText(result, warning) << '\n';
    if (!result.ok()) {
        err << kProgram << command.readPath << ": " << tuningReadErrorText(result) << '\n';
        return kExitBadInput;
    }
    if (command.keys) return printReadKeys(command, result, out, err);
    out << "format " << cliFormatWord(result.format, result.mtsForm) << '\n';
    if (result.format == TuningFormat::GM2 && isKeyBasedForm(result.mtsForm))
        out << "program " << int{result.program} << '\n';
    // A key-based form names its channels only through the program select,
    // which a .syx does not hold.
    out << "parts " << (result.parts == 0 ? "none" : "");
    bool first = true;
    for (int part = 1; part <= 16; ++part) {
        if (!(result.parts & (1u << (part - 1)))) continue;
        out << (first ? "" : ",") << part;
        first = false;
    }
    out << '\n' << "offsets";
    const bool fractions = offsetRange(result.format, result.mtsForm).fractions;
    for (int k = 0; k < 12; ++k)
        out << ' ' << (fractions ? hundredthsText(result.hundredths[k]) : std::to_string(result.offsets[k]));
    out << '\n';
    if (result.impliedA4Hz > 0) {
        char a4[32];
        std::snprintf(a4, sizeof a4, "a4 %.1f\n", result.impliedA4Hz);
        out << a4;
    }
    return kExitSuccess;
}

const char kNoMidiOut[] = "this system has no MIDI output implementation\n";

// An empty list from several systems (RtMidi's) is no failure; one line says
// what each system answered.
void sayWhyNoPorts(const MidiDeviceList& devices, std::ostream& err) {
    if (!devices.names.empty() || devices.systems.empty()) return;
    err << kProgram << "no MIDI output ports";
    const char* separator = ": ";
    for (const MidiSystemState& system : devices.systems) {
        err << separator << system.name << ": ";
        if (system.reached || system.error.empty())
            err << (system.reached ? "no output ports" : "not reached");
        else
            err << system.error;
        separator = "; ";
    }
    err << '\n';
}

int listPorts(std::ostream& out, std::ostream& err, MidiOutSystem& midiOut) {
    const MidiDeviceList devices = midiOut.listDevices();
    if (!devices.available) {
        err << kProgram << kNoMidiOut;
        return kExitBadInput;
    }
    for (std::size_t i = 0; i < devices.names.size(); ++i)
        out << i << '\t' << devices.names[i] << '\n';
    sayWhyNoPorts(devices, err);
    return kExitSuccess;
}

const char* failedStep(SendFailure::Step step) {
    switch (step) {
    case SendFailure::Step::Open: return "could not be opened";
    case SendFailure::Step::Send: return "failed during the send";
    case SendFailure::Step::Timeout: return "did not finish a message in time";
    case SendFailure::Step::Stuck: return "stopped answering and would not close";
    }
    return "failed";
}

int sendToPort(const CliCommand& command, std::ostream& err, MidiOutSystem& midiOut) {
    TuningListing list;
    if (!buildList(command, err, list)) return kExitBadInput;
    const MidiDeviceList devices = midiOut.listDevices();
    if (!devices.available) {
        err << kProgram << kNoMidiOut;
        return kExitBadInput;
    }
    const MidiDeviceMatch match = findDeviceByArgument(devices.names, command.port);
    if (match.status != MidiDeviceMatch::Status::Found) {
        err << kProgram << "--port " << command.port
            << ": no such MIDI output device (velmarin-cli ports lists them)\n";
        sayWhyNoPorts(devices, err);
        return kExitBadInput;
    }

    SysexSender sender(midiOut, [](const SendEvent&) {});
    sender.send(SendMode::All, match.index, list.data(), list.size(), command.pauseMs);
    const SendEvent outcome = sender.waitUntilIdle();
    sender.shutdown();
    if (outcome.kind == SendEvent::Kind::Done) return kExitSuccess;
    err << kProgram << "MIDI output device " << match.index << " (" << devices.names[match.index]
        << ") " << failedStep(outcome.failure.step);
    if (outcome.failure.step != SendFailure::Step::Timeout) {
        err << ": ";
        if (!outcome.failure.text.empty())
            err << outcome.failure.text;
        else if (outcome.failure.code == kMidiBadDeviceId)
            err << "the port is no longer offered";
        else
            err << "error " << outcome.failure.code;
    }
    if (outcome.failure.step != SendFailure::Step::Open)
        err << " (" << outcome.sent << " of " << outcome.total << " messages sent)";
    err << '\n';
    return kExitBadInput;
}

int printAnalysis(const CliCommand& command, std::ostream& out, std::ostream& err) {
    TuningFit fit;
    if (!fitSource(command, err, fit)) return kExitBadInput;
    std::array<double, 12> cents{};
    // The coarse tuning is part of what sounds: it moves the beat rates.
    for (int k = 0; k < 12; ++k)
        cents[k] = (command.sent ? fit.notes[k].sentHundredths / 100.0 : fit.notes[k].exactCents) +
                   fit.coarseSemitones * 100.0;
    out << formatTuningAnalysis(analyseTuning(cents));
    return kExitSuccess;
}

}  // namespace

int runCliCommand(const CliCommand& command, std::ostream& out, std::ostream& err,
                  MidiOutSystem& midiOut) {
    switch (command.kind) {
    case CliCommandKind::Help: out << cliUsage(); return kExitSuccess;
    case CliCommandKind::Temperaments: return listTemperaments(out);
    case CliCommandKind::Offsets: return printOffsets(command, out, err);
    case CliCommandKind::Build: return buildOutput(command, out, err);
    case CliCommandKind::Read: return readBack(command, out, err);
    case CliCommandKind::Ports: return listPorts(out, err, midiOut);
    case CliCommandKind::Send: return sendToPort(command, err, midiOut);
    case CliCommandKind::Analyse: return printAnalysis(command, out, err);
    case CliCommandKind::Keys: return printKeys(command, out, err);
    case CliCommandKind::Apply: {
        if (command.pitchBend) {
            SourceTuning tuning;
            if (!tuneSource(command, err, tuning)) return kExitBadInput;
            if (tuning.keyboard)
                return applyBendsToSongs(command, keyCentsOfKeys(keyOffsets(tuning.keys)), true, out, err);
            std::array<double, 12> cents{};
            // The bends carry the A4 shift that a coarse tuning would.
            for (int k = 0; k < 12; ++k)
                cents[k] = tuning.fit.notes[k].sentHundredths / 100.0 + tuning.fit.coarseSemitones * 100.0;
            return applyBendsToSongs(command, keyCentsOfPitchClasses(cents), false, out, err);
        }
        TuningListing list;
        if (!buildList(command, err, list)) return kExitBadInput;
        return applyToSongs(command, list.data(), list.size(), out, err);
    }
    }
    return kExitUsage;
}
