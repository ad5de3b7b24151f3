// A growable byte array that grows to exactly the size asked for.
#pragma once

#include <cstddef>
#include <cstdint>

class ByteBuffer {
public:
    ByteBuffer() = default;
    ByteBuffer(const ByteBuffer& other);
    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(const ByteBuffer& other);
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;
    virtual ~ByteBuffer();

    // 0 releases the storage. Above the capacity exactly `newSize` bytes are
    // allocated and the bytes in use copied; shrinking keeps the storage.
    // Returns false, with the buffer unchanged, when memory runs out.
    bool resize(uint32_t newSize);
    // Appends; false (buffer unchanged) when memory runs out.
    bool append(const void* bytes, uint32_t count);
    bool append(uint8_t byte) { return append(&byte, 1); }

    uint8_t* data() { return storage_; }
    const uint8_t* data() const { return storage_; }
    uint32_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    uint8_t operator[](uint32_t index) const { return storage_[index]; }

private:
    void release();

    uint8_t* storage_ = nullptr;
    uint32_t size_ = 0;
    uint32_t capacity_ = 0;
};
