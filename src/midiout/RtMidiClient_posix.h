// What the RtMidi sides of the output and the input seams share: RtMidi's
// reports and the libraries' own diagnostics caught as text, and an RtMidi
// object made without a word on standard error. Included by the *_posix.cpp
// files only.
#pragma once

#include <RtMidi.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

// alsa-lib and libjack print their own diagnostics on standard error, several
// lines for one failure that RtMidi then reports in its words. They are
// caught instead, and the first one since the call began is added to
// RtMidi's text (RtMidiReport::message).
void clearLibraryDiagnostics();

// The MIDI systems RtMidi was built with, its dummy left out.
std::vector<RtMidi::Api> compiledRtMidiApis();

// The name of every client Velmarin opens on a MIDI system.
constexpr const char* kRtMidiClientName = "Velmarin";

// What RtMidi reported during one call. RtMidi reports through the callback
// once it is set, warnings too (a JACK port number past the list only warns,
// and leaves the port "open"), and then throws nothing; every report but a
// debugging one counts as a failure.
struct RtMidiReport {
    bool failed = false;
    std::string text;

    static void receive(RtMidiError::Type type, const std::string& text, void* report);
    // RtMidi's text without the "MidiOutAlsa::initialize: " that leads it,
    // with the library's own first diagnostic after it.
    std::string message() const;
};

// An RtMidiOut or RtMidiIn with its report: a fresh one for each listing and
// each port, as RtMidi's behaviour after a failure is undefined.
template <class Rt>
struct RtMidiClient {
    std::unique_ptr<Rt> midi;
    RtMidiReport report;

    // False with `error` set when the system cannot be reached at all.
    bool start(RtMidi::Api api, std::string& error) {
        clearLibraryDiagnostics();
        // RtMidi writes a failure to std::cerr before it throws, while no
        // callback can be set yet; no other thread of the program writes
        // there meanwhile (the command line waits for the sending engine).
        std::streambuf* saved = std::cerr.rdbuf(nullptr);
        try {
            midi = std::make_unique<Rt>(api, kRtMidiClientName);
        } catch (const RtMidiError& failure) {
            report.failed = true;
            report.text = failure.getMessage();
        }
        std::cerr.rdbuf(saved);
        if (midi) midi->setErrorCallback(&RtMidiReport::receive, &report);
        return succeeded(error);
    }
    // Before a call whose success is asked afterwards.
    void begin() {
        clearLibraryDiagnostics();
        report = RtMidiReport{};
    }
    bool succeeded(std::string& error) const {
        if (!report.failed) return true;
        error = report.message();
        return false;
    }
    // The port names the system offers now; false with its text.
    bool listPorts(std::vector<std::string>& names, std::string& error) {
        begin();
        const unsigned count = midi->getPortCount();
        for (unsigned i = 0; i < count && !report.failed; ++i) names.push_back(midi->getPortName(i));
        return succeeded(error);
    }
};
