// alsa-lib's and libjack's diagnostics caught (the hooks are looked up where
// those libraries are loaded, as RtMidi links them, so that there is no build
// dependency on them), and RtMidi's reports.
#include "midiout/RtMidiClient_posix.h"

#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

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

}  // namespace

void clearLibraryDiagnostics() { LibraryDiagnostics::instance().clear(); }

std::vector<RtMidi::Api> compiledRtMidiApis() {
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    std::vector<RtMidi::Api> systems;
    for (RtMidi::Api api : apis)
        if (api != RtMidi::RTMIDI_DUMMY) systems.push_back(api);
    return systems;
}

void RtMidiReport::receive(RtMidiError::Type type, const std::string& text, void* report) {
    if (type == RtMidiError::DEBUG_WARNING) return;
    auto& self = *static_cast<RtMidiReport*>(report);
    if (!self.failed) self.text = text;
    self.failed = true;
}

std::string RtMidiReport::message() const {
    std::string message = text;
    const std::size_t lead = message.find(": ");
    if (lead != std::string::npos && message.find("::") < lead) message.erase(0, lead + 2);
    while (!message.empty() && (message.back() == '.' || message.back() == '\n')) message.pop_back();
    const std::string detail = LibraryDiagnostics::instance().first();
    if (!detail.empty()) message += " (" + detail + ")";
    return message;
}
