// A queue from one producer thread to one consumer thread that neither
// waits for the other nor allocates once it is made: a MIDI driver's
// callback (or JACK's process thread) hands messages over through it to the
// thread that plays them, and must never be held up by that thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

template <class T>
class SpscQueue {
public:
    // Room for `capacity` items (at least 1), rounded up to a power of two.
    explicit SpscQueue(std::size_t capacity)
        : mask_(roundUp(capacity) - 1), items_(std::make_unique<T[]>(mask_ + 1)) {}
    SpscQueue(const SpscQueue&) = delete;
    SpscQueue& operator=(const SpscQueue&) = delete;

    std::size_t capacity() const { return mask_ + 1; }

    // Producer: appends `item`; false, counted as an overflow, when full.
    bool push(const T& item) {
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) > mask_) {
            overflows_.fetch_add(1, std::memory_order_relaxed);
            return false;
        }
        items_[tail & mask_] = item;
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }

    // Producer: free places. More may free up meanwhile, never fewer.
    std::size_t room() const {
        return capacity() - (tail_.load(std::memory_order_relaxed) - head_.load(std::memory_order_acquire));
    }

    // Consumer: takes the oldest item; false when empty.
    bool pop(T& item) {
        const std::size_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire)) return false;
        item = items_[head & mask_];
        head_.store(head + 1, std::memory_order_release);
        return true;
    }

    // Consumer: items waiting. More may arrive meanwhile, never fewer.
    std::size_t size() const {
        return tail_.load(std::memory_order_acquire) - head_.load(std::memory_order_relaxed);
    }

    // Pushes refused for want of room since the queue was made; any thread.
    uint64_t overflows() const { return overflows_.load(std::memory_order_relaxed); }

private:
    static std::size_t roundUp(std::size_t capacity) {
        std::size_t size = 1;
        while (size < capacity) size <<= 1;
        return size;
    }

    const std::size_t mask_;
    const std::unique_ptr<T[]> items_;
    // Each index only grows; their difference is the fill, wraparound of the
    // index itself included. On their own cache lines, so that the two
    // threads do not take the line from each other on every message.
    alignas(64) std::atomic<std::size_t> head_{0};  // written by the consumer
    alignas(64) std::atomic<std::size_t> tail_{0};  // written by the producer
    std::atomic<uint64_t> overflows_{0};
};
