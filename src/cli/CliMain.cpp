// velmarin-cli: the command-line front end on the core.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "base/SystemErrorText.h"
#include "cli/CliArguments.h"
#include "cli/CliCommands.h"
#include "cli/StandardOutput.h"

namespace {

int runCommand(int argc, char** argv, std::ostream& out) {
    CliParse parse = parseCliArguments(programArguments(argc, argv));
    if (parse.exitCode != kExitSuccess) {
        std::cerr << cliErrorText(parse);
        return parse.exitCode;
    }
    if (parse.command.kind == CliCommandKind::Help) {
        out << parse.helpText;
        return kExitSuccess;
    }
    parse.command.showProgress = standardErrorIsTerminal();
    return runCliCommand(parse.command, out, std::cerr, platformMidiOut());
}

}  // namespace

int main(int argc, char** argv) {
    const ConsoleUtf8Scope consoleText;
    StandardOutput output;
    int status = kExitBadInput;
    try {
        status = runCommand(argc, argv, output.stream());
    } catch (const std::exception& error) {
        std::cerr << "velmarin-cli: " << error.what() << '\n';
    }
    // Every command's output is checked here, once: output that did not
    // arrive is a failure, whatever the command reported.
    if (const SystemError error = output.finish()) {
        std::cerr << "velmarin-cli: cannot write the output: " << systemErrorText(error) << '\n';
        return kExitBadInput;
    }
    return status;
}
