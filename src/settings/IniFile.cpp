#include "settings/IniFile.h"

#include "base/FileReplacement.h"

#include <algorithm>

namespace {

uint8_t foldAsciiLetter(uint8_t byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<uint8_t>(byte + ('a' - 'A')) : byte;
}

// The key of an entry line, or false when the line has no "=".
bool lineKey(const std::string& line, std::string_view& key) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) return false;
    key = std::string_view(line).substr(0, equals);
    return true;
}

std::vector<std::string>::iterator findLine(std::vector<std::string>& lines,
                                            std::string_view key) {
    return std::find_if(lines.begin(), lines.end(), [key](const std::string& line) {
        std::string_view lineKeyText;
        return lineKey(line, lineKeyText) && iniNamesEqual(lineKeyText, key);
    });
}

}  // namespace

bool iniNamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldAsciiLetter(static_cast<uint8_t>(a[i])) !=
            foldAsciiLetter(static_cast<uint8_t>(b[i])))
            return false;
    return true;
}

bool IniFile::load(const std::string& path) { return load(path, platformFileSystem()); }

bool IniFile::load(const std::string& path, FileSystem& fileSystem) {
    path_ = path;
    loadError_ = 0;
    loadedBytes_.clear();
    if (path.empty()) return false;
    const SystemError error = fileSystem.readWhole(path, loadedBytes_);
    if (error != 0 && isFileNotFound(error)) return false;
    parse(loadedBytes_);
    loadError_ = error;
    return error == 0;
}

void IniFile::parse(std::string_view bytes) {
    sections_.clear();
    // An editor saving as UTF-8 may put a byte-order mark before the first
    // header, which would otherwise make it an ordinary line and drop it.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        bytes.remove_prefix(kByteOrderMark.size());
    IniSection* current = nullptr;
    while (!bytes.empty()) {
        const std::size_t lineFeed = bytes.find('\n');
        std::string_view line = bytes.substr(0, lineFeed);
        if (lineFeed == std::string_view::npos) {
            bytes = {};
        } else {
            bytes.remove_prefix(lineFeed + 1);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        }

        if (line.empty() || line.front() == ';') continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            sections_.push_back(IniSection{std::string(line.substr(1, line.size() - 2)), {}});
            current = &sections_.back();
        } else if (current) {
            current->lines.emplace_back(line);
        }
    }
}

std::string IniFile::serialize() const {
    std::size_t size = 0;
    for (const IniSection& section : sections_) {
        size += section.name.size() + 6;
        for (const std::string& line : section.lines) size += line.size() + 2;
    }
    std::string bytes;
    bytes.reserve(size);
    for (const IniSection& section : sections_) {
        if (&section != &sections_.front()) bytes += "\r\n";
        bytes += '[';
        bytes += section.name;
        bytes += "]\r\n";
        for (const std::string& line : section.lines) {
            bytes += line;
            bytes += "\r\n";
        }
    }
    return bytes;
}

SystemError IniFile::save() const { return save(platformFileSystem()); }

SystemError IniFile::save(FileSystem& fileSystem) const {
    if (path_.empty()) return 0;
    if (loadError_ != 0) return loadError_;
    const std::string bytes = serialize();
    return writeFileReplacing(path_, bytes.data(), bytes.size(), fileSystem);
}

const IniSection* IniFile::findSection(std::string_view name) const {
    for (const IniSection& section : sections_)
        if (iniNamesEqual(section.name, name)) return &section;
    return nullptr;
}

IniSection* IniFile::findSection(std::string_view name) {
    return const_cast<IniSection*>(static_cast<const IniFile*>(this)->findSection(name));
}

bool IniFile::getValue(std::string_view section, std::string_view key,
                       std::string& value) const {
    const IniSection* found = findSection(section);
    if (!found) return false;
    for (const std::string& line : found->lines) {
        std::string_view lineKeyText;
        if (lineKey(line, lineKeyText) && iniNamesEqual(lineKeyText, key)) {
            value.assign(line, lineKeyText.size() + 1, std::string::npos);
            return true;
        }
    }
    return false;
}

std::string IniFile::getValueOr(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    std::string value;
    if (getValue(section, key, value)) return value;
    return std::string(defaultValue);
}

void IniFile::setValue(std::string_view section, std::string_view key,
                       std::string_view value) {
    IniSection* found = findSection(section);
    if (!found) {
        sections_.push_back(IniSection{std::string(section), {}});
        found = &sections_.back();
    }
    std::string line;
    line.reserve(key.size() + 1 + value.size());
    line.append(key).append("=").append(value);

    const auto existing = findLine(found->lines, key);
    if (existing != found->lines.end())
        *existing = std::move(line);
    else
        found->lines.push_back(std::move(line));
}

bool IniFile::deleteKey(std::string_view section, std::string_view key) {
    IniSection* found = findSection(section);
    if (!found) return false;
    const auto existing = findLine(found->lines, key);
    if (existing == found->lines.end()) return false;
    found->lines.erase(existing);
    return true;
}

bool IniFile::deleteSection(std::string_view name) {
    const auto found = std::find_if(sections_.begin(), sections_.end(),
                                    [name](const IniSection& s) { return iniNamesEqual(s.name, name); });
    if (found == sections_.end()) return false;
    sections_.erase(found);
    return true;
}
