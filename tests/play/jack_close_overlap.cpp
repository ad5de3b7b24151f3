// Preloaded into jack_play_probe (check-play-jack.sh, PROBE_PRELOAD) to
// close the worker's JACK devices while a process cycle runs, as a loaded
// machine does now and then: every cycle that clears a MIDI buffer (the
// sender's, an output's) takes 10 ms longer, and a port unregisters 5 ms
// later, so that the next cycle has begun by then. A ring buffer freed
// while a cycle may still read it is caught where it is read, not by luck:
// freed ring buffers are kept (their memory as the reader would find it),
// and reading one aborts the run with its name.
#include <dlfcn.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

template <class Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

std::array<std::atomic<const jack_ringbuffer_t*>, 256> freed;
std::atomic<std::size_t> freedCount{0};

void refuseFreed(const jack_ringbuffer_t* ring, const char* reader) {
    const std::size_t count = std::min(freedCount.load(), freed.size());
    for (std::size_t i = 0; i < count; ++i) {
        if (freed[i].load() != ring) continue;
        std::fprintf(stderr, "jack_close_overlap: %s read a ring buffer after it was freed\n", reader);
        std::abort();
    }
}

}  // namespace

extern "C" {

void jack_midi_clear_buffer(void* buffer) {
    static const auto real = next<void (*)(void*)>("jack_midi_clear_buffer");
    usleep(10000);
    real(buffer);
}

int jack_port_unregister(jack_client_t* client, jack_port_t* port) {
    static const auto real = next<int (*)(jack_client_t*, jack_port_t*)>("jack_port_unregister");
    const int result = real(client, port);
    usleep(5000);
    return result;
}

void jack_ringbuffer_free(jack_ringbuffer_t* ring) {
    const std::size_t at = freedCount.fetch_add(1);
    if (at < freed.size()) freed[at].store(ring);
}

size_t jack_ringbuffer_read_space(const jack_ringbuffer_t* ring) {
    static const auto real = next<size_t (*)(const jack_ringbuffer_t*)>("jack_ringbuffer_read_space");
    refuseFreed(ring, "jack_ringbuffer_read_space");
    return real(ring);
}

size_t jack_ringbuffer_peek(jack_ringbuffer_t* ring, char* to, size_t count) {
    static const auto real = next<size_t (*)(jack_ringbuffer_t*, char*, size_t)>("jack_ringbuffer_peek");
    refuseFreed(ring, "jack_ringbuffer_peek");
    return real(ring, to, count);
}

size_t jack_ringbuffer_read(jack_ringbuffer_t* ring, char* to, size_t count) {
    static const auto real = next<size_t (*)(jack_ringbuffer_t*, char*, size_t)>("jack_ringbuffer_read");
    refuseFreed(ring, "jack_ringbuffer_read");
    return real(ring, to, count);
}
}
