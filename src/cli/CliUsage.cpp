// The usage, each command's help, the version and the error texts, made from
// the rows of CliOptionTable.cpp.
#include <string_view>

#include "cli/CliArguments.h"
#include "cli/CliOptionTable.h"
// Generated from the project's version (res/version.h.in), as the window's
// version block and the release packages' names are.
#include "version.h"

namespace {

// Where an option's or a command's description begins.
constexpr std::size_t kDescriptionColumn = 20;

const char kExitStatusLine[] = "exit status: 0 done, 1 a bad input file or value, 2 a usage error\n";

void replaceAll(std::string& text, std::string_view from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// `head` (lines split by '\n') with `description` beside it: on its line when
// the head is one line short enough, else below; every description line
// after the first indented to the column.
std::string columns(const std::string& head, std::string_view description) {
    std::string text = head;
    const bool beside = head.find('\n') == std::string::npos && head.size() + 2 <= kDescriptionColumn;
    text += beside ? std::string(kDescriptionColumn - head.size(), ' ')
                   : "\n" + std::string(kDescriptionColumn, ' ');
    for (char c : description) text += c == '\n' ? "\n" + std::string(kDescriptionColumn, ' ') : std::string(1, c);
    return text + '\n';
}

std::string formText(const CliUsageForm& form) {
    std::string synopsis = std::string("  ") + form.synopsis;
    replaceAll(synopsis, "\n", "\n        ");
    return columns(synopsis, form.description);
}

std::string optionText(const CliOptionRow& row) {
    std::string help = row.help;
    if (row.number.get) {
        replaceAll(help, "{range}", cliNumberText(row.number.lowest) + " to " + cliNumberText(row.number.highest));
        replaceAll(help, "{default}", cliNumberText(row.number.get(CliCommand{})));
    }
    return columns(std::string("  ") + row.name + (row.valueName ? std::string(" ") + row.valueName : ""), help);
}

// The options under their headings: every one but those described with
// their command for the overview, else those `kind` takes.
std::string optionSections(bool overview, CliCommandKind kind) {
    const struct {
        CliSection section;
        const char* heading;
    } headings[] = {{CliSection::Source, "SOURCE, one of:\n"}, {CliSection::Fit, "FIT:\n"},
                    {CliSection::Options, "options:\n"}};
    std::string text;
    for (const auto& heading : headings) {
        std::string lines;
        for (const CliOptionRow& row : cliOptionRows()) {
            const CliSection section = row.section == CliSection::CommandOnly && !overview ? CliSection::Options
                                                                                            : row.section;
            if (section == heading.section && (overview || (row.commands & cliCommandBit(kind))))
                lines += optionText(row);
        }
        if (!lines.empty()) text += heading.heading + lines;
    }
    return text;
}

std::string overview() {
    std::string text = "usage: velmarin-cli COMMAND [OPTIONS]\n\ncommands:\n";
    for (const CliUsageForm& form : cliUsageForms()) text += formText(form);
    return text + "\n" + optionSections(true, CliCommandKind::Help) + "\n" + kExitStatusLine;
}

}  // namespace

const char* cliUsage() {
    static const std::string usage = overview();
    return usage.c_str();
}

std::string cliCommandHelp(CliCommandKind kind) {
    std::string text = "usage:\n";
    for (const CliUsageForm& form : cliUsageForms())
        if (form.kind == kind) text += formText(form);
    return text + "\n" + optionSections(false, kind) + "\n" + kExitStatusLine;
}

std::string cliVersionText() { return "velmarin-cli " VELMARIN_VERSION_TEXT "\n"; }

std::string cliErrorText(const CliParse& parse) {
    std::string text = "velmarin-cli: " + parse.message + "\n";
    if (parse.exitCode != kExitUsage) return text;
    if (parse.showUsage) return text + "\n" + cliUsage();
    return text + "Try 'velmarin-cli " + (parse.commandName.empty() ? "" : parse.commandName + " ") + "--help'\n";
}
