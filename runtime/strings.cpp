#include "runtime/strings.h"

#include "runtime/scriptvalue.h"

std::string& CVexmoldStrings::stringSlot(double n) {
    std::string& slot = stringSlots[vexmold::scriptIndex(n)];
    stringSlotCount = static_cast<double>(stringSlots.size());
    return slot;
}

void CVexmoldStrings::assignStringSlot(double n, const std::string& text) {
    stringSlot(n) = text;
}

const std::string* CVexmoldStrings::fileName(double n) const {
    const auto it = fileNames.find(vexmold::scriptIndex(n));
    return it == fileNames.end() ? nullptr : &it->second;
}

void CVexmoldStrings::clearStringSlots() {
    stringSlots.clear();
    stringSlotCount = 0.0;
}
