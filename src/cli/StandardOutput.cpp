#include "cli/StandardOutput.h"

SystemError StandardOutput::finish() {
    stream_.flush();
    return buffer_.flush();
}

SystemError StandardOutput::Buffer::flush() {
    const std::size_t count = static_cast<std::size_t>(pptr() - pbase());
    if (count != 0 && error_ == 0) error_ = writeStandardOutput(pbase(), count);
    setp(bytes_, bytes_ + sizeof bytes_);
    return error_;
}

StandardOutput::Buffer::int_type StandardOutput::Buffer::overflow(int_type c) {
    if (flush() != 0) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}
