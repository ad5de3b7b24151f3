// The MIDI systems RtMidi was built with (the ALSA sequencer and JACK on
// Linux, CoreMIDI on macOS) behind MidiBackend.
#include <dlfcn.h>

#include <RtMidi.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>

#include "midiout/MidiBackendOut.h"

namespace {

// alsa-lib and libjack print their own diagnostics on standard error, several
// lines for one failure that RtMidi then reports in its words. They are
// caught here instead, and the first one since the call began is added to
// RtMidi's text. The hooks are looked up where those libraries are loaded
// (RtMidi links them), so that there is no build dependency on them.
class LibraryDiagnostics {
public:
    static LibraryDiagnostics& instance() {
        static LibraryDiagnostics diagnostics;
        return diagnostics;
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        first_.clear();
    }
    std::string first() {
        std::lock_guard<std::mutex> lock(mutex_);
        return first_;
    }

private:
    using AlsaHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    using JackHandler = void (*)(const char*);

    LibraryDiagnostics() {
        if (auto set = reinterpret_cast<int (*)(AlsaHandler)>(dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler")))
            set(&alsaError);
        if (auto set = reinterpret_cast<void (*)(JackHandler)>(dlsym(RTLD_DEFAULT, "jack_set_error_function")))
            set(&jackError);
        if (auto set = reinterpret_cast<void (*)(JackHandler)>(dlsym(RTLD_DEFAULT, "jack_set_info_function")))
            set(&ignore);
    }
    void note(const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (first_.empty()) first_ = text;
    }
    static void alsaError(const char*, int, const char*, int err, const char* format, ...) {
        char text[256];
        va_list args;
        va_start(args, format);
        vsnprintf(text, sizeof text, format, args);
        va_end(args);
        std::string line = text;
        // alsa-lib's own handler adds the system's text of the errno value it passes.
        if (err != 0) line += std::string(": ") + std::strerror(err < 0 ? -err : err);
        instance().note(line);
    }
    static void jackError(const char* text) { instance().note(text); }
    static void ignore(const char*) {}

    std::mutex mutex_;
    std::string first_;
};

// What RtMidi reported during one call. RtMidi reports through the callback
// once it is set, warnings too (a JACK port number past the list only warns,
// and leaves the port "open"), and then throws nothing; every report but a
// debugging one counts as a failure.
struct RtMidiReport {
    bool failed = false;
    std::string text;

    static void receive(RtMidiError::Type type, const std::string& text, void* report) {
        if (type == RtMidiError::DEBUG_WARNING) return;
        auto& self = *static_cast<RtMidiReport*>(report);
        if (!self.failed) self.text = text;
        self.failed = true;
    }
    // RtMidi's text without the "MidiOutAlsa::initialize: " that leads it,
    // with the library's own first diagnostic after it.
    std::string message() const {
        std::string message = text;
        const std::size_t lead = message.find(": ");
        if (lead != std::string::npos && message.find("::") < lead) message.erase(0, lead + 2);
        while (!message.empty() && (message.back() == '.' || message.back() == '\n')) message.pop_back();
        const std::string detail = LibraryDiagnostics::instance().first();
        if (!detail.empty()) message += " (" + detail + ")";
        return message;
    }
};

// An RtMidiOut with its report: a fresh one for each listing and each port,
// as RtMidi's behaviour after a failure is undefined.
struct RtMidiClient {
    std::unique_ptr<RtMidiOut> out;
    RtMidiReport report;

    // False with `error` set when the system cannot be reached at all.
    bool start(RtMidi::Api api, std::string& error) {
        LibraryDiagnostics::instance().clear();
        // RtMidi writes a failure to std::cerr before it throws, while no
        // callback can be set yet; no other thread of the program writes
        // there meanwhile (the command line waits for the sending engine).
        std::streambuf* saved = std::cerr.rdbuf(nullptr);
        try {
            out = std::make_unique<RtMidiOut>(api, "Velmarin");
        } catch (const RtMidiError& failure) {
            report.failed = true;
            report.text = failure.getMessage();
        }
        std::cerr.rdbuf(saved);
        if (out) out->setErrorCallback(&RtMidiReport::receive, &report);
        return succeeded(error);
    }
    // Before a call whose success is asked afterwards.
    void begin() {
        LibraryDiagnostics::instance().clear();
        report = RtMidiReport{};
    }
    bool succeeded(std::string& error) const {
        if (!report.failed) return true;
        error = report.message();
        return false;
    }
};

class RtMidiPort final : public MidiBackendPort {
public:
    explicit RtMidiPort(RtMidiClient client) : client_(std::move(client)) {
        // The report moved with the client; RtMidi must call the new one.
        client_.out->setErrorCallback(&RtMidiReport::receive, &client_.report);
    }
    bool send(const uint8_t* bytes, std::size_t count, std::string& error) override {
        client_.begin();
        client_.out->sendMessage(bytes, count);
        return client_.succeeded(error);
    }
    bool close(std::string& error) override {
        client_.begin();
        client_.out->closePort();
        return client_.succeeded(error);
    }

private:
    RtMidiClient client_;
};

class RtMidiBackend final : public MidiBackend {
public:
    explicit RtMidiBackend(RtMidi::Api api) : api_(api) {}

    std::string name() const override { return RtMidi::getApiDisplayName(api_); }
    bool listPorts(std::vector<std::string>& names, std::string& error) override {
        RtMidiClient client;
        if (!client.start(api_, error)) return false;
        client.begin();
        const unsigned count = client.out->getPortCount();
        for (unsigned i = 0; i < count && !client.report.failed; ++i)
            names.push_back(client.out->getPortName(i));
        return client.succeeded(error);
    }
    std::unique_ptr<MidiBackendPort> open(unsigned port, std::string& error) override {
        RtMidiClient client;
        if (!client.start(api_, error)) return nullptr;
        client.begin();
        client.out->openPort(port, "out");
        if (!client.succeeded(error)) return nullptr;
        return std::make_unique<RtMidiPort>(std::move(client));
    }

private:
    RtMidi::Api api_;
};

std::vector<std::unique_ptr<MidiBackend>> compiledBackends() {
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    std::vector<std::unique_ptr<MidiBackend>> backends;
    for (RtMidi::Api api : apis)
        if (api != RtMidi::RTMIDI_DUMMY) backends.push_back(std::make_unique<RtMidiBackend>(api));
    return backends;
}

}  // namespace

MidiOutSystem& platformMidiOut() {
    static MidiBackendOut system(compiledBackends(), steadyClock());
    return system;
}
