#include "base/PathText.h"

bool isCp932LeadByte(uint8_t byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool isNeverLeadByte(uint8_t) { return false; }

std::size_t findLastSeparator(std::string_view path, std::string_view separators,
                              LeadBytePredicate isLeadByte) {
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const uint8_t byte = static_cast<uint8_t>(path[i]);
        if (isLeadByte(byte) && i + 1 < path.size())
            ++i;  // skip the trail byte
        else if (separators.find(path[i]) != std::string_view::npos)
            last = i;
    }
    return last;
}

std::string fileBesideModule(std::string_view modulePath, bool modulePathTruncated,
                             std::string_view fileName, LeadBytePredicate isLeadByte) {
    if (modulePathTruncated) return {};
    const std::size_t cut = findLastSeparator(modulePath, "\\", isLeadByte);
    const std::size_t folderLength = cut == std::string_view::npos ? 0 : cut + 1;
    if (folderLength + fileName.size() > kMaxPathLength) return {};
    std::string path(modulePath.substr(0, folderLength));
    path += fileName;
    return path;
}

std::string folderOf(const std::string& path, LeadBytePredicate isLeadByte) {
    const std::size_t cut = findLastSeparator(path, "\\/", isLeadByte);
    if (cut == std::string::npos) {
        // "C:name" is relative to the current folder of drive C.
        if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
        return ".";
    }
    // Keep the separator of a root folder: "/", "\\" or "C:\\".
    if (cut == 0 || (cut == 2 && path[1] == ':')) return path.substr(0, cut + 1);
    return path.substr(0, cut);
}

std::size_t fileNameStart(const std::string& path, LeadBytePredicate isLeadByte) {
    const std::size_t separator = findLastSeparator(path, "\\/", isLeadByte);
    if (separator != std::string::npos) return separator + 1;
    return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

std::string fileNameOf(const std::string& path, LeadBytePredicate isLeadByte) {
    return path.substr(fileNameStart(path, isLeadByte));
}
