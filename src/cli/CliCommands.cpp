#include "cli/CliCommands.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/FileReplacement.h"
#include "base/LoadFileBytes.h"
#include "base/SystemErrorText.h"
#include "cli/ApplyCommand.h"
#include "cli/CliPorts.h"
#include "cli/CliTexts.h"
#include "cli/InterruptWait.h"
#include "cli/MtsEspCommand.h"
#include "midiout/MidiDeviceLookup.h"
#include "midiout/SysexSender.h"
#include "output/SysexSmf.h"
#include "song/TuningBends.h"
#include "sysex/HexListing.h"
#include "tuning/KeyPitch.h"
#include "tuning/KeyboardMap.h"
#include "tuning/NoteNames.h"
#include "tuning/OpenedFiles.h"
#include "tuning/ResolveTuning.h"
#include "tuning/ScalaScale.h"
#include "tuning/Temperaments.h"
#include "tuning/TuningAnalysis.h"
#include "tuning/TuningFileReader.h"
#include "tuning/TuningOutputs.h"

namespace {

const char kProgram[] = "velmarin-cli: ";

// Hundredths of a cent as the range names them: "-64..63", "-100..99.99".
std::string heldRangeText(const CliCommand& command) {
    if (command.format == TuningFormat::GM2 && isKeyBasedForm(command.mts.form)) return "keys 0..127";
    const OffsetRange range = offsetRange(command.format, command.mts.form);
    return hundredthsText(range.lowest) + ".." + hundredthsText(range.highest);
}

// The file name without its folders, for the comment that opens a file.
std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

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

// The command's source with its files read; false (with the message on
// `err`) when one cannot be.
bool readSource(const CliCommand& command, std::ostream& err, TuningSource& source) {
    source.fit = command.fit;
    switch (command.source) {
    case CliSourceKind::Temperament:
        source.kind = TuningSourceKind::Temperament;
        source.temperamentId = command.temperamentId;
        return true;
    case CliSourceKind::Offsets:
        source.kind = TuningSourceKind::Offsets;
        source.offsetHundredths = command.offsetHundredths;
        return true;
    case CliSourceKind::Scala:
        source.kind = TuningSourceKind::Scala;
        source.scaleFileName = baseName(command.scalaPath);
        source.layout = command.layout;
        if (!loadScalaText(command.scalaPath, err, [&](const std::string& bytes) {
                ScalaReadResult read = parseScala(bytes);
                if (!read.ok()) err << kProgram << command.scalaPath << ": " << scalaErrorText(read) << '\n';
                source.scale = std::move(read.scale);
                return read.ok();
            }))
            return false;
        if (command.keyboardMapPath.empty()) return true;
        source.mapFileName = baseName(command.keyboardMapPath);
        return loadScalaText(command.keyboardMapPath, err, [&](const std::string& bytes) {
            const KeyboardMapReadResult read = parseKeyboardMap(bytes);
            if (!read.ok()) {
                err << kProgram << command.keyboardMapPath << ": " << keyboardMapErrorText(read) << '\n';
                return false;
            }
            if (read.tooFewKeyLines())
                err << kProgram << command.keyboardMapPath << ": warning: " << keyboardMapWarningText(read) << '\n';
            source.keyboardMap = read.map;
            return true;
        });
    case CliSourceKind::None:
        break;
    }
    return false;
}

void sayResolveError(const CliCommand& command, const TuningSource& source, const ResolvedTuning& resolved,
                     std::ostream& err) {
    err << kProgram;
    switch (resolved.error) {
    case TuningError::UnknownTemperament:
        err << "--temperament " << command.temperamentId
            << ": no such temperament (velmarin-cli temperaments lists them)";
        break;
    case TuningError::Fit: err << fitErrorText(resolved.fitError); break;
    case TuningError::ScaleMap: err << command.scalaPath << ": " << scaleMapErrorText(resolved.scaleMap); break;
    case TuningError::KeyboardTuning:
        err << (command.keyboardMapPath.empty() ? command.scalaPath : command.keyboardMapPath) << ": "
            << keyboardTuningErrorText(resolved.keyboardTuning, source.scale);
        break;
    case TuningError::None: break;
    }
    err << '\n';
}

// Held offsets and coarse tuning are about the SysEx: bends played live
// carry each key's exact cents, and MTS-ESP publishes each key's exact
// frequency.
bool aboutSentOffsets(TuningNoticeKind kind) {
    return kind == TuningNoticeKind::HeldNotes || kind == TuningNoticeKind::CoarseTuning;
}

bool playsByBends(const CliCommand& command) {
    return command.kind == CliCommandKind::Play && command.retune.method != RetuneMethod::TuningMessages;
}

// The notices about the key-based forms' messages, or the others, worded on `err`.
void sayNotices(const CliCommand& command, const std::vector<TuningNotice>& notices, bool keyMessages,
                std::ostream& err) {
    for (const TuningNotice& notice : notices) {
        if (aboutKeyMessages(notice.kind) != keyMessages) continue;
        if ((playsByBends(command) || command.kind == CliCommandKind::MtsEsp) && aboutSentOffsets(notice.kind))
            continue;
        err << kProgram;
        switch (notice.kind) {
        case TuningNoticeKind::HeldNotes:
            err << "held at a limit (" << heldRangeText(command) << "): " << pitchClassList(notice.items, " ");
            break;
        case TuningNoticeKind::CoarseTuning:
            err << "the A4 shift goes as coarse tuning: " << notice.count << " semitone"
                << (notice.count == 1 || notice.count == -1 ? "" : "s") << " on every channel";
            break;
        case TuningNoticeKind::UnmappedNotes:
            err << "reached by no degree of the scale (sent as 0 before the zero note): "
                << pitchClassList(notice.items, " ");
            break;
        case TuningNoticeKind::HeldKeys:
            err << "held at a limit (keys 0..127): keys " << numberList(notice.items);
            break;
        case TuningNoticeKind::UnmappedKeys:
            err << notice.count << " keys that the map leaves unmapped are sent as no change (7F 7F 7F)";
            break;
        case TuningNoticeKind::DegreesCollide: err << command.scalaPath << ": " << degreesOnKeysText(notice); break;
        }
        err << '\n';
    }
}

// The command's tuning, the notices about its pitch classes worded; false
// after the message of a failure. Those about the keys' messages are the
// listing's to word.
bool tuneSource(const CliCommand& command, std::ostream& err, ResolvedTuning& resolved) {
    TuningSource source;
    if (!readSource(command, err, source)) return false;
    resolved = resolveTuning(source);
    if (!resolved.ok()) {
        sayResolveError(command, source, resolved, err);
        return false;
    }
    sayNotices(command, resolved.notices, false, err);
    return true;
}

// The twelve pitch classes of the source; a keyboard tuning is refused,
// naming what can take it.
bool fitSource(const CliCommand& command, std::ostream& err, Tuning& tuning) {
    ResolvedTuning resolved;
    if (!tuneSource(command, err, resolved)) return false;
    tuning = std::move(resolved.tuning);
    if (tuning.onKeys()) {
        err << kProgram << command.scalaPath << ": " << keyboardOnlyText(tuning.keys->tuning.scaleSize)
            << " (velmarin-cli keys prints them; build, send and apply carry them with --format mts-note or "
               "mts-bulk)\n";
        return false;
    }
    return true;
}

// The listing of a resolved tuning, the notices about the keys' messages
// worded; false after the message when the form cannot carry it. With no
// preset to take it from, a bulk dump is named "Velmarin".
bool listTuning(const CliCommand& command, const ResolvedTuning& resolved, std::ostream& err, TuningListing& list) {
    const Tuning& tuning = resolved.tuning;
    if (!formCarries(tuning, command.format, command.mts.form)) {
        err << kProgram << command.scalaPath << ": " << keyboardOnlyText(tuning.keys->tuning.scaleSize) << "; "
            << cliFormatWord(command.format, command.mts.form)
            << " cannot carry them: give --format mts-note or mts-bulk\n";
        return false;
    }
    sayNotices(command, resolved.notices, true, err);
    const std::optional<TuningListing> built = tuningListing(tuning, command.format, command.mts, command.parts);
    if (!built) return false;
    list = *built;
    return true;
}

bool buildList(const CliCommand& command, std::ostream& err, TuningListing& list) {
    ResolvedTuning resolved;
    return tuneSource(command, err, resolved) && listTuning(command, resolved, err, list);
}

// key, Hz with four decimals, cents from the key's equal-tempered pitch at
// A4 = 440 Hz with two; "-" for both of an unmapped key.
int printKeys(const CliCommand& command, std::ostream& out, std::ostream& err) {
    ResolvedTuning resolved;
    if (!tuneSource(command, err, resolved)) return kExitBadInput;
    const std::array<std::optional<double>, kKeyboardKeyCount> hz = keyFrequencies(resolved.tuning);
    for (int key = 0; key < kKeyboardKeyCount; ++key) out << keyLineText(key, hz[key]) << '\n';
    return kExitSuccess;
}

int listTemperaments(std::ostream& out) {
    for (const Temperament& temperament : builtInTemperaments())
        out << temperament.id << '\t' << temperament.englishName << '\n';
    return kExitSuccess;
}

int printOffsets(const CliCommand& command, std::ostream& out, std::ostream& err) {
    Tuning tuning;
    if (!fitSource(command, err, tuning)) return kExitBadInput;
    const TuningFit& fit = *tuning.fit;
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

// The tuning itself as software synthesizers read it: a keyboard tuning's
// scale and map as they came, twelve pitch classes as a 12-note scale from
// the tonic with its map.
int writeSynthFile(const CliCommand& command, std::ostream& err) {
    ResolvedTuning resolved;
    if (!tuneSource(command, err, resolved)) return kExitBadInput;
    const SynthFileKind kind = command.output == CliOutputKind::Scala         ? SynthFileKind::Scl
                               : command.output == CliOutputKind::KeyboardMap ? SynthFileKind::Kbm
                                                                              : SynthFileKind::Tun;
    const std::optional<std::string> text = synthFileText(resolved.tuning, kind, baseName(command.outputPath),
                                                          synthFileDescription(resolved.tuning));
    if (!text) return kExitBadInput;  // every tuning the command line makes has its files
    if (const SystemError error = writeFileReplacing(command.outputPath, text->data(), text->size())) {
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
        if (const std::optional<int32_t> steps = result.keySteps[key]) {
            const int semitones = *steps / kMtsStepsPerSemitone;  // steps are never negative
            hz = keyHz(semitones, kStandardA4Hz, (*steps % kMtsStepsPerSemitone) * 100.0 / kMtsStepsPerSemitone);
        }
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
    const std::optional<CliPort> port =
        findPort(midiOut.listDevices(), PortDirection::Output, "--port", command.port, err);
    if (!port) return kExitBadInput;

    SysexSender sender(midiOut, [](const SendEvent&) {});
    sender.send(SendMode::All, port->index, list.data(), list.size(), command.pauseMs);
    const SendEvent outcome = sender.waitUntilIdle();
    sender.shutdown();
    if (outcome.kind == SendEvent::Kind::Done) return kExitSuccess;
    err << kProgram << "MIDI output device " << port->index << " (" << port->name << ") "
        << failedStep(outcome.failure.step);
    if (outcome.failure.step != SendFailure::Step::Timeout)
        err << ": " << deviceFaultText(outcome.failure.code, outcome.failure.text);
    if (outcome.failure.step != SendFailure::Step::Open)
        err << " (" << outcome.sent << " of " << outcome.total << " messages sent)";
    err << '\n';
    return kExitBadInput;
}

int printAnalysis(const CliCommand& command, std::ostream& out, std::ostream& err) {
    Tuning tuning;
    if (!fitSource(command, err, tuning)) return kExitBadInput;
    out << formatTuningAnalysis(analyseTuning(pitchClassCents(
        tuning, command.sent ? CentsKind::Sent : CentsKind::Exact, command.format, command.mts.form)));
    return kExitSuccess;
}

int playKeyboard(const CliCommand& command, std::ostream& out, std::ostream& err, MidiOutSystem& midiOut,
                 MidiInSystem& midiIn, const InterruptCheck& interrupted) {
    ResolvedTuning resolved;
    if (!tuneSource(command, err, resolved)) return kExitBadInput;
    const bool messages = command.retune.method == RetuneMethod::TuningMessages;
    TuningListing list;
    if (messages && !listTuning(command, resolved, err, list)) return kExitBadInput;
    // The master first: where it cannot start, the devices are not touched,
    // and it deregisters only once they are closed.
    std::optional<MtsEspLibrary> library;
    std::optional<MtsEspMaster> master;
    std::string publishing;
    if (command.mtsEsp) {
        library.emplace();
        master.emplace(library->functions());
        if (!startMtsEspMaster(*library, *master, resolved.tuning, command.reset, err)) return kExitBadInput;
        publishing = "; " + mtsEspMasterText(englishTuningName(resolved.tuning), master->clientCount());
    }
    return playThrough(command, resolved.tuning, messages ? &list : nullptr, midiIn, midiOut, interrupted, publishing,
                       out, err);
}

// Only the installed library: no option or environment variable names
// another, which the program would load and run.
int publishToMtsEsp(const CliCommand& command, std::ostream& out, std::ostream& err) {
    ResolvedTuning resolved;
    if (!tuneSource(command, err, resolved)) return kExitBadInput;
    InterruptWait interrupt;
    const MtsEspLibrary library;
    return holdMtsEspMaster(
        library, resolved.tuning, command.reset,
        [&interrupt](std::chrono::milliseconds timeout) { return interrupt.wait(timeout); }, out, err);
}

}  // namespace

int runCliCommand(const CliCommand& command, std::ostream& out, std::ostream& err, MidiOutSystem& midiOut,
                  MidiInSystem& midiIn, const InterruptCheck& interrupted) {
    switch (command.kind) {
    case CliCommandKind::Help: out << cliUsage(); return kExitSuccess;
    case CliCommandKind::Temperaments: return listTemperaments(out);
    case CliCommandKind::Offsets: return printOffsets(command, out, err);
    case CliCommandKind::Build: return buildOutput(command, out, err);
    case CliCommandKind::Read: return readBack(command, out, err);
    case CliCommandKind::Ports:
        return command.inputs ? listPorts(midiIn.listDevices(), PortDirection::Input, out, err)
                              : listPorts(midiOut.listDevices(), PortDirection::Output, out, err);
    case CliCommandKind::Play: {
        if (interrupted) return playKeyboard(command, out, err, midiOut, midiIn, interrupted);
        InterruptWait interrupt;
        return playKeyboard(command, out, err, midiOut, midiIn,
                            [&interrupt](std::chrono::milliseconds timeout) { return interrupt.wait(timeout); });
    }
    case CliCommandKind::Send: return sendToPort(command, err, midiOut);
    case CliCommandKind::Analyse: return printAnalysis(command, out, err);
    case CliCommandKind::Keys: return printKeys(command, out, err);
    case CliCommandKind::MtsEsp: return publishToMtsEsp(command, out, err);
    case CliCommandKind::Apply: {
        if (command.pitchBend) {
            ResolvedTuning resolved;
            if (!tuneSource(command, err, resolved)) return kExitBadInput;
            return applyBendsToSongs(command, tuningBendOptions(resolved.tuning, command.format, command.mts.form),
                                     out, err);
        }
        TuningListing list;
        if (!buildList(command, err, list)) return kExitBadInput;
        return applyToSongs(command, list.data(), list.size(), out, err);
    }
    }
    return kExitUsage;
}
