#include "midiout/JackMidiOut_posix.h"

#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "midiout/RtMidiClient_posix.h"

namespace {

// RtMidi's words for the same failures, with libjack's first diagnostic.
std::string failure(const std::string& text) {
    RtMidiReport report;
    report.failed = true;
    report.text = text;
    return report.message();
}

class JackMidiOutPort final : public MidiBackendPort {
public:
    JackMidiOutPort() = default;
    ~JackMidiOutPort() override { release(); }
    JackMidiOutPort(const JackMidiOutPort&) = delete;
    JackMidiOutPort& operator=(const JackMidiOutPort&) = delete;

    bool open(unsigned number, std::string& error) {
        clearLibraryDiagnostics();
        client_ = jack_client_open(kRtMidiClientName, JackNoStartServer, nullptr);
        if (!client_) return fail("JACK server not running?", error);
        ring_ = jack_ringbuffer_create(kRingBytes);
        port_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        if (!ring_ || !port_) return fail("JACK error creating port", error);
        jack_set_process_callback(client_, &JackMidiOutPort::process, this);
        if (jack_activate(client_) != 0) return fail("JACK error activating the client", error);
        const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
        if (!ports) return fail("no ports available!", error);
        unsigned count = 0;
        while (ports[count]) ++count;
        // As RtMidi does, a connection JACK refuses leaves the port open.
        if (number < count) jack_connect(client_, jack_port_name(port_), ports[number]);
        jack_free(ports);
        if (number >= count)
            return fail("the 'portNumber' argument (" + std::to_string(number) + ") is invalid.", error);
        return true;
    }

    bool send(const uint8_t* bytes, std::size_t count, std::string& error) override {
        const uint32_t size = static_cast<uint32_t>(count);
        const std::size_t needed = sizeof size + count;
        if (needed >= kRingBytes) return fail("the message is longer than JACK's output buffer", error);
        // The process cycle makes room within a period or so; a server that
        // has stopped running cycles never does, and must not hang the sender.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (jack_ringbuffer_write_space(ring_) < needed) {
            if (std::chrono::steady_clock::now() >= deadline) {
                error = failure("JACK has not taken a message for a second; is the server still running?");
                return false;
            }
            std::this_thread::yield();
        }
        jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(&size), sizeof size);
        jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(bytes), count);
        return true;
    }

    bool close(std::string&) override {
        closing_.store(true, std::memory_order_release);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (!flushed_.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        release();
        return true;
    }

private:
    static constexpr std::size_t kRingBytes = 16384;

    bool fail(const std::string& text, std::string& error) {
        error = failure(text);
        release();
        return false;
    }

    // JACK's process thread: nothing here waits, allocates or locks.
    static int process(jack_nframes_t frames, void* argument) {
        auto& self = *static_cast<JackMidiOutPort*>(argument);
        // Read before the ring: every message sent before close() asked is
        // in it by then, and goes out in this cycle.
        const bool closing = self.closing_.load(std::memory_order_acquire);
        void* buffer = jack_port_get_buffer(self.port_, frames);
        jack_midi_clear_buffer(buffer);
        uint32_t size = 0;
        while (jack_ringbuffer_peek(self.ring_, reinterpret_cast<char*>(&size), sizeof size) == sizeof size &&
               jack_ringbuffer_read_space(self.ring_) >= sizeof size + size) {
            jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, size);
            // A full cycle's buffer keeps the rest for the next; a message
            // larger than an empty one never goes.
            if (!event && jack_midi_get_event_count(buffer) > 0) break;
            jack_ringbuffer_read_advance(self.ring_, sizeof size);
            if (event)
                jack_ringbuffer_read(self.ring_, reinterpret_cast<char*>(event), size);
            else
                jack_ringbuffer_read_advance(self.ring_, size);
        }
        if (closing) self.flushed_.store(true, std::memory_order_release);
        return 0;
    }

    void release() {
        if (client_) {
            // Stops the process thread, even one in the middle of a cycle,
            // before the ring and the port it reads go.
            jack_deactivate(client_);
            jack_client_close(client_);
            client_ = nullptr;
            port_ = nullptr;
        }
        if (ring_) jack_ringbuffer_free(ring_);
        ring_ = nullptr;
    }

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    jack_ringbuffer_t* ring_ = nullptr;  // the sending thread writes, the process thread reads
    std::atomic<bool> closing_{false};
    std::atomic<bool> flushed_{false};  // a cycle that began after closing_ is done
};

}  // namespace

std::unique_ptr<MidiBackendPort> openJackMidiOut(unsigned port, std::string& error) {
    auto opened = std::make_unique<JackMidiOutPort>();
    if (!opened->open(port, error)) return nullptr;
    return opened;
}
