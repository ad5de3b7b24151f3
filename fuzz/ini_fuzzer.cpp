// Loads arbitrary bytes as an INI document, then checks the round trip: the
// saved document loads again with the same sections, names and lines.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IniFile first;
    first.parse(std::string_view(reinterpret_cast<const char*>(data), size));

    IniFile second;
    second.parse(first.serialize());
    if (first.sections().size() != second.sections().size()) std::abort();
    for (std::size_t i = 0; i < first.sections().size(); ++i) {
        const IniSection& a = first.sections()[i];
        const IniSection& b = second.sections()[i];
        if (a.name != b.name || a.lines != b.lines) std::abort();
    }

    // Lookups and changes on whatever came in must not misbehave either.
    if (!first.sections().empty()) {
        const std::string name = first.sections().front().name;
        std::string value;
        first.getValue(name, "k", value);
        first.setValue(name, "k", "v");
        first.deleteKey(name, "k");
        first.deleteSection(name);
    }
    return 0;
}
