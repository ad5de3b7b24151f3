// Expected texts, files and window geometry shared by the end-to-end tests.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include <vector>

#include "VelmarinApp.h"
#include "WindowGeometry.h"
#include "resource.h"

inline int offsetEdit(int pitchClass) { return IDC_OFFSET_FIRST + pitchClass; }  // 0 = C .. 11 = B
inline int partBox(int part) { return IDC_PART_FIRST + part - 1; }               // part 1..16

// Each save button with the menu item (and accelerator) that does the same.
struct SaveCommand {
    int button;
    int menuItem;
};
constexpr SaveCommand kSaveCommands[] = {
    {IDC_SAVE_SMF, IDM_SAVE_SMF}, {IDC_SAVE_BINARY, IDM_SAVE_BINARY}, {IDC_SAVE_TEXT, IDM_SAVE_TEXT}};

// The system's text for an error code, as an error box shows it.
inline std::string systemText(DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
                   LANG_SYSTEM_DEFAULT, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const std::string result = text ? utf8(text) : std::string();
    LocalFree(text);
    return result;
}

// The part (or channel) boxes that are ticked, 1 to 16.
inline std::vector<int> tickedParts(const VelmarinApp& app) {
    std::vector<int> parts;
    for (int part = 1; part <= 16; ++part)
        if (app.checked(partBox(part))) parts.push_back(part);
    return parts;
}

constexpr char kPartLabel[] = "パート(&C):";
constexpr char kChannelLabel[] = "チャンネル(&C):";
constexpr char kWarningCaption[] = "警告";

// Listing lines joined by CR LF, without a line end after the last.
inline std::string listing(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
    return text;
}

// The GS message of part 1 from its data byte of C (the other eleven are 40)
// and its checksum, both as hex text.
inline std::string gsPart1(const std::string& dataOfC, const std::string& checksum) {
    std::string line = "F0 41 10 42 12 40 11 40 " + dataOfC;
    for (int k = 1; k < 12; ++k) line += " 40";
    return line + " " + checksum + " F7";
}

// Velmarin.ini as the program writes it when it had none.
inline std::string freshSettings(const RECT& window, int format, int32_t parts, int division = 120,
                                 int delta = 0) {
    return "[AppSetting]\r\nLeft=" + std::to_string(window.left) + "\r\nTop=" + std::to_string(window.top) +
           "\r\nMidiFormat=" + std::to_string(format) + "\r\nMidiPartOrChannel=" + std::to_string(parts) +
           "\r\nSysexEventDivision=" + std::to_string(division) + "\r\nSysexEventDelta=" +
           std::to_string(delta) + "\r\n";
}

// Replaces {Left} and {Top} by the window's position.
inline std::string withPosition(std::string text, const RECT& window) {
    for (const auto& [key, value] : {std::pair<std::string, LONG>{"{Left}", window.left}, {"{Top}", window.top}})
        for (size_t at = text.find(key); at != std::string::npos; at = text.find(key))
            text.replace(at, key.size(), std::to_string(value));
    return text;
}
