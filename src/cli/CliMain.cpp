// velmarin-cli: the command-line front end on the core.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/CliArguments.h"
#include "cli/CliCommands.h"
#include "cli/StandardOutput.h"

int main(int argc, char** argv) {
    try {
        setStandardOutputBinary();
        CliParse parse = parseCliArguments(std::vector<std::string>(argv + 1, argv + argc));
        if (parse.exitCode == kExitUsage) {
            std::cerr << "velmarin-cli: " << parse.message << "\n\n" << cliUsage();
            return parse.exitCode;
        }
        if (parse.exitCode != kExitSuccess) {
            std::cerr << "velmarin-cli: " << parse.message << '\n';
            return parse.exitCode;
        }
        parse.command.showProgress = standardErrorIsTerminal();
        return runCliCommand(parse.command, std::cout, std::cerr, platformMidiOut());
    } catch (const std::exception& error) {
        std::cerr << "velmarin-cli: " << error.what() << '\n';
        return kExitBadInput;
    }
}
