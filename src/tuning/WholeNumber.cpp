#include "tuning/WholeNumber.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace {

// Every number of 19 digits is below 2^64.
constexpr std::size_t kLeadingDigits = 19;
constexpr double kLog2Of10 = 3.321928094887362347870319429489390175864831393;

// A number as L * 10^exponent, L its leading digits.
struct Leading {
    double digits;
    int64_t exponent;
};

Leading leadingDigits(const std::string& digits) {
    const std::size_t kept = std::min(digits.size(), kLeadingDigits);
    uint64_t value = 0;
    for (std::size_t i = 0; i < kept; ++i) value = value * 10 + static_cast<uint64_t>(digits[i] - '0');
    return {static_cast<double>(value), static_cast<int64_t>(digits.size() - kept)};
}

}  // namespace

WholeNumber::WholeNumber(uint64_t value) : digits_(std::to_string(value)) {}

WholeNumber WholeNumber::fromDigits(std::string_view digits) {
    const std::size_t first = std::min(digits.find_first_not_of('0'), digits.size() - 1);
    WholeNumber number;
    number.digits_.assign(digits.substr(first));
    return number;
}

WholeNumber WholeNumber::doubled() const {
    WholeNumber twice;
    twice.digits_.clear();
    int carry = 0;
    for (auto digit = digits_.rbegin(); digit != digits_.rend(); ++digit) {
        const int value = 2 * (*digit - '0') + carry;
        twice.digits_.push_back(static_cast<char>('0' + value % 10));
        carry = value / 10;
    }
    if (carry != 0) twice.digits_.push_back('1');
    std::reverse(twice.digits_.begin(), twice.digits_.end());
    return twice;
}

std::ostream& operator<<(std::ostream& out, const WholeNumber& number) { return out << number.digits(); }

// A term N of n digits is L * 10^(n - k) + R, L its leading k = min(n, 19)
// digits (L >= 10^(k - 1)) and 0 <= R < 10^(n - k), so
//   log2 N = log2 L + (n - k) log2 10 + log2(1 + R / (L 10^(n - k))),
// the last term, dropped, in [0, log2(1 + 10^(1 - k))): below 1.5e-18 for
// k = 19, and 0 when n <= 19. In double arithmetic, with d the difference of
// the two terms' (n - k), exact, and |d| < 2^20 (a file holds at most a
// mebibyte): L is rounded by at most 2^-53 of itself (1.7e-16 in log2);
// each log2 L < 64 is off by at most two units in the last place (1.5e-14);
// log2 10 by 2^-53 of itself, times |d| < 3.9e-10; the product and the sum
// round by at most half a unit of numbers below 3.5e6 (2.4e-10 each). That
// is below 1e-9 in log2, 1.2e-6 cents, plus half a unit of the product by
// 1200 (below 4.2e9 cents: 2.4e-7), in all below 2e-6 cents. With d = 0 the
// formula is 1200 (log2 p - log2 q) + 0, the cents such terms always had.
double ratioCents(const WholeNumber& numerator, const WholeNumber& denominator) {
    const Leading p = leadingDigits(numerator.digits());
    const Leading q = leadingDigits(denominator.digits());
    return 1200.0 *
           ((std::log2(p.digits) - std::log2(q.digits)) + static_cast<double>(p.exponent - q.exponent) * kLog2Of10);
}
