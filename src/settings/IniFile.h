// An INI document in memory: an ordered list of sections, each holding its raw
// entry lines. Text is bytes of the ANSI code page; nothing is converted.
//
// Parsing contract (byte-exact):
//  - a UTF-8 byte-order mark (EF BB BF) at the very start is skipped; no
//    other byte is;
//  - a line ends at LF; one CR directly before that LF belongs to the line
//    end, any other CR stays in the line; a last line without LF is read;
//  - empty lines and lines whose first byte is ";" are skipped;
//  - a line whose first byte is "[" and last byte is "]" starts a section
//    named by the bytes between them (a new section even if the name exists);
//  - every other line is kept whole in the current section; lines before the
//    first header are dropped.
// A line's key is the part before its first "=", its value the rest. Names and
// keys compare equal when equal after folding only the bytes A-Z to a-z.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/SystemError.h"

class FileSystem;

struct IniSection {
    std::string name;
    std::vector<std::string> lines;
};

// Same length and equal bytes once A-Z (41-5A) are mapped to a-z; no other
// byte is folded, and double-byte characters are not recognised.
bool iniNamesEqual(std::string_view a, std::string_view b);

class IniFile {
public:
    // Sets the path (empty when none is given) and reads the file whole:
    //  - read: the content is the file's; true;
    //  - the file does not exist (or no path): the sections are left as they
    //    were and a later save creates the file; false;
    //  - any other failure (it could not be opened, or a read failed partway):
    //    the content is what was read, nothing when it could not be opened,
    //    and save writes nothing, so a file that exists is never replaced by
    //    a part of it or by an empty document; false.
    bool load(const std::string& path, FileSystem& fileSystem);
    bool load(const std::string& path);
    // Writes the whole document to the path, leaving the old file byte for
    // byte on a failure, and returns the error. Nothing is written for an
    // empty path (0) or after a load that could not read the file (that
    // load's error).
    SystemError save(FileSystem& fileSystem) const;
    SystemError save() const;

    // Replaces the content with the document in `bytes` (the parsing contract).
    void parse(std::string_view bytes);
    // Replaces the content with these sections.
    void assign(std::vector<IniSection> sections) { sections_ = std::move(sections); }
    // The file bytes of the document: one empty line before every header but
    // the first, CR LF after every header and every line; no byte-order mark.
    std::string serialize() const;

    // The first section, in document order, whose name equals `name`.
    const IniSection* findSection(std::string_view name) const;
    bool hasSection(std::string_view name) const { return findSection(name) != nullptr; }
    bool getValue(std::string_view section, std::string_view key, std::string& value) const;
    std::string getValueOr(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Replaces the first line with that key by "key=value" (the caller's
    // spelling of the key) or appends it; creates the section at the end.
    void setValue(std::string_view section, std::string_view key, std::string_view value);
    // Removes the first line with that key; the section stays.
    bool deleteKey(std::string_view section, std::string_view key);
    bool deleteSection(std::string_view name);

    const std::vector<IniSection>& sections() const { return sections_; }
    const std::string& path() const { return path_; }
    // The error that stopped the last load from reading an existing file, 0
    // when it was read whole or did not exist.
    SystemError loadError() const { return loadError_; }
    // The file's bytes as the last load read them.
    const std::string& loadedBytes() const { return loadedBytes_; }

private:
    IniSection* findSection(std::string_view name);

    std::string path_;
    std::vector<IniSection> sections_;
    SystemError loadError_ = 0;
    std::string loadedBytes_;
};
