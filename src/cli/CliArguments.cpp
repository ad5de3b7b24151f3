#include "cli/CliArguments.h"

#include <optional>
#include <string_view>

#include "cli/CliOptionTable.h"
#include "tuning/NoteNames.h"
#include "tuning/TuningFileReader.h"

namespace {

std::string offsetRangeText(const OffsetRange& range) {
    return hundredthsText(range.lowest) + ".." + hundredthsText(range.highest);
}

CliParse& refuse(CliParse& parse, int exitCode, std::string message) {
    parse.exitCode = exitCode;
    parse.message = std::move(message);
    return parse;
}

// The message of a rule the line breaks, or nothing.
std::optional<std::string> brokenRule(const CliRule& rule, const CliLine& line, const std::string& commandName) {
    const auto found = [&](const char* option) { return rule.holds ? rule.holds(line) : line.has(option); };
    if (rule.kind != CliRuleKind::Requires && rule.commands != 0 && !(rule.commands & cliCommandBit(line.command.kind)))
        return std::nullopt;
    switch (rule.kind) {
    case CliRuleKind::Needs:
        if (line.has(rule.option) && !found(rule.other)) return std::string(rule.option) + " goes with " + rule.other;
        break;
    case CliRuleKind::Excludes:
        if (line.has(rule.option) && found(rule.other))
            return std::string(rule.option) + " does not go with " + rule.other + rule.reason;
        break;
    case CliRuleKind::Requires:
        if ((rule.commands & cliCommandBit(line.command.kind)) && !line.has(rule.option) &&
            !(rule.holds && rule.holds(line)))
            return commandName + " needs " + rule.option;
        break;
    }
    return std::nullopt;
}

// The words after the command, each an option (with its value), a file or a
// song the command takes, into `parse`; false when one is refused.
bool readWords(const std::vector<std::string>& arguments, const CliCommandRow& row, CliParse& parse,
               std::vector<std::string_view>& given) {
    CliCommand& command = parse.command;
    const std::string& name = parse.commandName;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const CliOptionRow* option = findCliOption(argument);
        if (!option) {
            const bool operand = !argument.empty() && argument[0] != '-';
            if (operand && row.operands == CliOperands::OneFile && command.readPath.empty()) {
                command.readPath = argument;
            } else if (operand && row.operands == CliOperands::Songs) {
                command.songPaths.push_back(argument);
            } else {
                refuse(parse, kExitUsage,
                       (operand ? "unexpected argument '" : "unknown option '") + argument + "' for " + name);
                return false;
            }
            continue;
        }
        if (!(option->commands & cliCommandBit(row.kind))) {
            refuse(parse, kExitUsage, name + " does not take " + argument);
            return false;
        }
        if (CliLine{command, given}.has(option->name)) {
            refuse(parse, kExitUsage, argument + " is given twice");
            return false;
        }
        given.push_back(option->name);
        std::string value;
        if (option->valueName) {
            if (i + 1 >= arguments.size()) {
                refuse(parse, kExitUsage, argument + " needs a value (" + option->valueName + ")");
                return false;
            }
            value = arguments[++i];
        }
        if (std::optional<CliFault> fault = option->set(*option, value, command)) {
            refuse(parse, fault->exitCode, std::move(fault->message));
            return false;
        }
    }
    return true;
}

// The defaults that depend on other options.
void settleDefaults(const CliLine& line, CliCommand& command) {
    // An offset list is already relative to equal temperament as it is to be
    // sent: moving a zero note would undo the one its numbers were made with.
    if (command.source == CliSourceKind::Offsets && !line.has("--zero")) command.fit.zeroNote = ZeroNote::None;
    if (command.pitchBend) {
        if (!line.has("--parts")) command.parts = 0xFFFF & ~kDrumChannels;
        if (!line.has("--after-reset")) command.song.resetGapMs = kDefaultBendResetGapMs;
    }
    command.fit.format = command.format;
    command.fit.form = command.mts.form;
}

// What `read` is given must be a file that can hold SysEx.
std::optional<std::string> readFileFault(const std::string& path) {
    switch (tuningFileKindFromName(path)) {
    case TuningFileKind::Scl:
        return path + ": a Scala scale holds no SysEx; use it as a source (--scl) of offsets, build or send";
    case TuningFileKind::Unknown: return path + ": read takes a .syx, .mid or .txt file";
    default: return std::nullopt;
    }
}

}  // namespace

const CliFormatName* findFormatName(std::string_view word) {
    for (const CliFormatName& name : kCliFormatNames)
        if (word == name.word) return &name;
    return nullptr;
}

const char* cliFormatWord(TuningFormat format, MtsForm form) {
    for (const CliFormatName& name : kCliFormatNames)
        if (name.format == format && (format != TuningFormat::GM2 || name.form == form)) return name.word;
    return "";
}

CliParse parseCliArguments(const std::vector<std::string>& arguments) {
    CliParse parse;
    if (arguments.empty()) {
        parse.showUsage = true;
        return refuse(parse, kExitUsage, "no command given");
    }
    const CliCommandRow* row = findCliCommand(arguments[0]);
    for (const std::string& argument : arguments)
        if (argument == "--help") {
            parse.helpText = row ? cliCommandHelp(row->kind) : cliUsage();
            return parse;
        }
    if (arguments[0] == "--version") {
        parse.helpText = cliVersionText();
        return parse;
    }
    if (!row) return refuse(parse, kExitUsage, "unknown command '" + arguments[0] + "'");

    parse.commandName = row->name;
    CliCommand& command = parse.command;
    command.kind = row->kind;
    std::vector<std::string_view> given;
    if (!readWords(arguments, *row, parse, given)) return parse;
    const CliLine line{command, given};
    settleDefaults(line, command);
    for (const CliRule& rule : cliRules())
        if (std::optional<std::string> broken = brokenRule(rule, line, parse.commandName))
            return refuse(parse, kExitUsage, std::move(*broken));
    if (row->operands == CliOperands::OneFile)
        if (std::optional<std::string> fault = readFileFault(command.readPath))
            return refuse(parse, kExitUsage, std::move(*fault));
    if (command.source == CliSourceKind::Offsets) {
        const OffsetRange range = offsetRange(command.format, command.mts.form);
        for (int k = 0; k < 12; ++k)
            if (command.offsetHundredths[k] < range.lowest || command.offsetHundredths[k] > range.highest)
                return refuse(parse, kExitBadInput,
                              "--offsets: offset " + std::to_string(k + 1) + " lies beyond " +
                                  offsetRangeText(range) + ", the range of " +
                                  cliFormatWord(command.format, command.mts.form));
    }
    return parse;
}
