// A whole number of any number of decimal digits: the terms of a ratio in a
// Scala scale, which the format does not limit (a schisma scale writes
// 156348578434374084375/147573952589676412928).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

class WholeNumber {
public:
    // Implicit, so that a ratio made in code reads as plain numbers: {3, 2}.
    WholeNumber(uint64_t value = 0);

    // From a run of decimal digits (at least one, nothing else); leading
    // zeros are dropped.
    static WholeNumber fromDigits(std::string_view digits);

    // Without leading zeros; "0" for zero.
    const std::string& digits() const { return digits_; }
    bool isZero() const { return digits_ == "0"; }
    WholeNumber doubled() const;

    friend bool operator==(const WholeNumber& a, const WholeNumber& b) { return a.digits_ == b.digits_; }
    friend bool operator!=(const WholeNumber& a, const WholeNumber& b) { return !(a == b); }

private:
    std::string digits_;
};

std::ostream& operator<<(std::ostream& out, const WholeNumber& number);

// 1200 log2(numerator / denominator), both above zero, within 2e-6 cents of
// the exact value for terms of up to a mebibyte of digits. Terms of up to
// 19 digits give 1200 (log2 p - log2 q) in double arithmetic, to the bit.
double ratioCents(const WholeNumber& numerator, const WholeNumber& denominator);
