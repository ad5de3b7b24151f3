// velmarin-cli's command line declared once: each command, each way to call
// it, each option and each rule between options is a row here. The parser
// (CliArguments.cpp), the usage and each command's help (CliUsage.cpp) are
// made from the rows, so an option's range, the commands that take it and
// its help line cannot drift apart.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliArguments.h"

// Bit n stands for CliCommandKind n; the bit of Help for the overview alone
// (velmarin-cli --help).
using CliCommandSet = unsigned;
constexpr CliCommandSet cliCommandBit(CliCommandKind kind) { return 1u << static_cast<unsigned>(kind); }

// What a command takes besides its options.
enum class CliOperands { None, OneFile, Songs };

struct CliCommandRow {
    const char* name;
    CliCommandKind kind;
    CliOperands operands;
};

// One way to call a command as the usage shows it: its synopsis (each line
// after the first continues it) and what it does, lines split by '\n'.
struct CliUsageForm {
    CliCommandKind kind;
    const char* synopsis;
    const char* description;
};

// Where the usage lists an option; CommandOnly ones only in their command's
// help, as the overview describes them with the command.
enum class CliSection { Source, Fit, Options, CommandOnly };

// A number an option takes, within the core's range; `get` and `set` reach
// its place in the command.
struct CliNumber {
    const char* what = nullptr;  // "the division", as the message of a value out of range names it
    double lowest = 0;
    double highest = 0;
    const char* unit = "";       // " ms", " Hz", ... after the range in that message
    bool decimals = false;       // a frequency ("415.3"), else decimal digits alone
    double (*get)(const CliCommand&) = nullptr;
    void (*set)(CliCommand&, double) = nullptr;
};

// What a refused line or value gives: kExitUsage or kExitBadInput, and one
// line naming the argument and what was expected.
struct CliFault {
    int exitCode;
    std::string message;
};

struct CliOptionRow;
// Puts an option's value (empty for a switch) into the command; the fault of
// a value it refuses.
using CliOptionSetter = std::optional<CliFault> (*)(const CliOptionRow& row, const std::string& value,
                                                    CliCommand& command);

struct CliOptionRow {
    const char* name;         // "--a4"
    const char* valueName;    // "HZ"; null for a switch
    CliSection section;
    CliCommandSet commands;   // the commands that take it
    CliOptionSetter set;
    // Its lines in the usage, split by '\n'; "{range}" stands for "LOWEST to
    // HIGHEST" of `number` and "{default}" for its value in a command as
    // nothing set it.
    std::string help;
    CliNumber number{};       // for the setter of numbers
    bool& (*flag)(CliCommand&) = nullptr;  // for the setter of switches
};

// What a line gave, as the rules see it.
struct CliLine {
    const CliCommand& command;
    const std::vector<std::string_view>& given;  // the names of the options given
    bool has(std::string_view option) const;
};

enum class CliRuleKind {
    Needs,     // `option` given without `other`: "OPTION goes with OTHER"
    Excludes,  // `option` given with `other`: "OPTION does not go with OTHER: REASON"
    Requires,  // a command of `commands` without `option`: "COMMAND needs OPTION"
};

struct CliRule {
    CliRuleKind kind;
    const char* option;   // Requires: the option, or words for what `met` finds
    const char* other;    // an option, or words for what `holds` finds
    const char* reason;   // Excludes
    // Needs and Excludes: found in place of `other` being given. Requires:
    // met in another way than by `option` (or the rule does not apply).
    bool (*holds)(const CliLine& line) = nullptr;
    // The commands the rule binds; for Needs and Excludes 0 binds every one.
    CliCommandSet commands = 0;
};

const std::vector<CliCommandRow>& cliCommandRows();
const std::vector<CliUsageForm>& cliUsageForms();
const std::vector<CliOptionRow>& cliOptionRows();
// In the order they are checked: the first broken one is reported.
const std::vector<CliRule>& cliRules();

// Null for a name that is none of them.
const CliCommandRow* findCliCommand(std::string_view name);
const CliOptionRow* findCliOption(std::string_view name);

// "380", "415.3": a number as the usage and the messages write it.
std::string cliNumberText(double value);
