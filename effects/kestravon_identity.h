// What hosts know our plug-ins by, besides each one's name and unique ID:
// the maker, the version, and the name standing in as product string and
// first program name. Kept with the effects, so the framework carries no
// product of its own.
#pragma once

#include <cstdint>

#include "runtime/description.h"

namespace kestravon {

constexpr const char* kVendor = "KESTRAVON";
constexpr uint32_t kVendorVersion = 1000;  // what effGetVendorVersion answers

// The description every effect of ours shares but for its name and its VST
// unique ID, which hosts tell the effects apart by; two channels.
inline void describeEffect(CVexmoldDescription& script, const char* effectName, uint32_t uniqueId) {
    script.effectName = effectName;
    script.productString = effectName;
    script.programName = effectName;
    script.vendorString = kVendor;
    script.channelCount = 2;
    script.vendorVersion = kVendorVersion;
    script.uniqueId = uniqueId;
}

}  // namespace kestravon
