#include "midi/MessageSplit.h"


std::vector<ListedMessage> splitListing(const uint8_t* bytes, std::size_t size, CutMessages cut) {
    std::vector<ListedMessage> messages;
    forEachListedMessage(bytes, size, cut, [&](const ListedMessage& message) { messages.push_back(message); });
    return messages;
}
