// Note names and the twelve-offset text the command line takes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B" for pitch
// classes 0..11; "?" for anything else.
const char* pitchClassName(int pitchClass);

// The names of `pitchClasses`, in their order, with `separator` between them.
std::string pitchClassList(const std::vector<int>& pitchClasses, std::string_view separator);

// The pitch class of one of C C# Db D D# Eb E F F# Gb G G# Ab A A# Bb B,
// spelled exactly so (upper-case letter, '#' or lower-case 'b'); nothing for
// any other text, including surrounding white space.
std::optional<int> parseNoteName(std::string_view text);

// Hundredths of a cent as text: a whole number as it is ("-6"), else with
// two decimals ("-5.38", "0.50", "-0.05").
std::string hundredthsText(int32_t hundredths);

// Offsets as the user types them: a number with at most two decimals
// ("-5.38", "12", "+3.5", "-.25"), in hundredths of a cent. Nothing for other
// text, more decimals, or a value beyond +-1e6 cents.
enum class OffsetTextError { None, NotANumber, TooManyDecimals };
struct ParsedOffset {
    OffsetTextError error = OffsetTextError::None;
    int32_t hundredths = 0;
};
ParsedOffset parseOffsetText(std::string_view text);

// Twelve numbers for C..B separated by commas, each of at most two decimals
// ("0,-5.38,-10.75,..."), in hundredths of a cent, at most
// -9999.99..9999.99. White space around an item is allowed.
struct ExactOffsetListParse {
    std::array<int32_t, 12> hundredths{};
    // 0 when parsed; otherwise the 1-based item that is missing or not such
    // a number, or 13 when there are more than twelve items.
    int badItem = 0;
    bool tooManyDecimals = false;  // the bad item has three decimals or more
    bool ok() const { return badItem == 0; }
};
ExactOffsetListParse parseExactOffsetList(std::string_view text);
