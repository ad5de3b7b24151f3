#include "output/ByteBuffer.h"

#include <cstring>
#include <new>
#include <utility>

ByteBuffer::ByteBuffer(const ByteBuffer& other) {
    // A copy that cannot be allocated stays empty; callers of the copy see it
    // through size().
    if (other.size_ != 0 && resize(other.size_))
        std::memcpy(storage_, other.storage_, other.size_);
}

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : storage_(std::exchange(other.storage_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

ByteBuffer& ByteBuffer::operator=(const ByteBuffer& other) {
    if (this != &other) {
        ByteBuffer copy(other);
        *this = std::move(copy);
    }
    return *this;
}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
        release();
        storage_ = std::exchange(other.storage_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

ByteBuffer::~ByteBuffer() { release(); }

void ByteBuffer::release() {
    delete[] storage_;
    storage_ = nullptr;
    size_ = 0;
    capacity_ = 0;
}

bool ByteBuffer::resize(uint32_t newSize) {
    if (newSize == 0) {
        release();
        return true;
    }
    if (newSize > capacity_) {
        uint8_t* grown = new (std::nothrow) uint8_t[newSize];
        if (!grown) return false;
        if (size_ != 0) std::memcpy(grown, storage_, size_);
        delete[] storage_;
        storage_ = grown;
        capacity_ = newSize;
    }
    size_ = newSize;
    return true;
}

bool ByteBuffer::append(const void* bytes, uint32_t count) {
    if (count == 0) return true;
    const uint32_t oldSize = size_;
    if (count > UINT32_MAX - oldSize || !resize(oldSize + count)) return false;
    std::memcpy(storage_ + oldSize, bytes, count);
    return true;
}
