// The text rules that the Scala scale (.scl) and keyboard map (.kbm) files
// share: lines, comments and decimal digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace scala_text {

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Splits the bytes into lines at LF, dropping a CR before it.
class LineReader {
public:
    explicit LineReader(std::string_view bytes) : rest_(bytes) {}

    // The next line whose first byte is not '!'; false at the end of the bytes.
    bool nextNonComment(std::string_view& line) {
        while (next(line))
            if (line.empty() || line.front() != '!') return true;
        return false;
    }
    std::size_t lineNumber() const { return lineNumber_; }

private:
    bool next(std::string_view& line) {
        // Bytes after the last line end make a last line; nothing after it does not.
        if (!hasMore_ || rest_.empty()) return false;
        const std::size_t end = rest_.find('\n');
        line = rest_.substr(0, end);
        if (end == std::string_view::npos) {
            hasMore_ = false;
            rest_ = {};
        } else {
            rest_.remove_prefix(end + 1);
        }
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++lineNumber_;
        return true;
    }

    std::string_view rest_;
    std::size_t lineNumber_ = 0;
    bool hasMore_ = true;
};

enum class NumberParse { Ok, NotANumber, TooLarge };

// Decimal digits at the front of `text` into `value`; consumes them.
inline NumberParse parseDigits(std::string_view& text, uint64_t& value) {
    if (text.empty() || !isDigit(text.front())) return NumberParse::NotANumber;
    value = 0;
    while (!text.empty() && isDigit(text.front())) {
        const uint64_t digit = static_cast<uint64_t>(text.front() - '0');
        if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10) return NumberParse::TooLarge;
        value = value * 10 + digit;
        text.remove_prefix(1);
    }
    return NumberParse::Ok;
}

// The run of decimal digits at the front of `text`, possibly empty; consumes it.
inline std::string_view takeDigits(std::string_view& text) {
    std::size_t end = 0;
    while (end < text.size() && isDigit(text[end])) ++end;
    const std::string_view digits = text.substr(0, end);
    text.remove_prefix(end);
    return digits;
}

inline std::string_view skipBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    return text;
}

// Editors on Windows may put a UTF-8 byte-order mark before the first line.
inline std::string_view withoutByteOrderMark(std::string_view bytes) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) bytes.remove_prefix(kByteOrderMark.size());
    return bytes;
}

}  // namespace scala_text
