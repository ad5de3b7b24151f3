// What winmm's output and input sides share: the device list made from a
// side's capabilities and its error text, both in UTF-8. Templates over a
// side's loaded functions (usable(), getNumDevs, getDevCaps, getErrorText),
// so that this header needs no Windows header; included by the *_win.cpp
// files only.
#pragma once

#include <cstddef>
#include <cwchar>
#include <iterator>
#include <string>
#include <string_view>

#include "base/WideText.h"
#include "midiout/MidiOutDevice.h"

// `Caps` is MIDIOUTCAPSW or MIDIINCAPSW. A device that cannot describe
// itself keeps its number, nameless; an unusable winmm lists nothing, as
// unavailable.
template <class Caps, class Winmm>
MidiDeviceList winmmDeviceList(const Winmm& winmm) {
    MidiDeviceList list;
    if (!winmm.usable()) return list;
    list.available = true;
    const auto count = winmm.getNumDevs();
    for (decltype(+count) i = 0; i < count; ++i) {
        Caps caps{};
        if (winmm.getDevCaps(i, &caps, sizeof caps) != 0)
            list.names.emplace_back();
        else
            list.names.push_back(
                utf8FromWide(std::wstring_view(caps.szPname, wcsnlen(caps.szPname, std::size(caps.szPname)))));
    }
    return list;
}

// `kLength` is MAXERRORLENGTH; empty where winmm has no text.
template <std::size_t kLength, class Winmm>
std::string winmmErrorText(const Winmm& winmm, MidiError error) {
    if (!winmm.usable()) return {};
    wchar_t text[kLength] = {};
    if (winmm.getErrorText(error, text, kLength) != 0) return {};
    return utf8FromWide(std::wstring_view(text, wcsnlen(text, kLength)));
}
