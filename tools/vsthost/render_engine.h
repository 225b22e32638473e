// Pushes audio through a resumed plug-in block by block, the way a host's
// audio thread would, and collects what comes out.
#pragma once

#include "tools/common/wav.h"
#include "tools/vsthost/host_callback.h"
#include "tools/vsthost/plugin_session.h"

#include <string>

namespace plux::vsthost {

struct RenderSettings {
    VstInt32 blockSize = 512;
    bool doublePrecision = false;
};

// Input channel k of the plug-in gets channel k mod N of `input`, so a mono
// file feeds every input and surplus channels are dropped. The output has the
// plug-in's numOutputs channels and the input's length and rate. The last
// block may be shorter than blockSize. Advances the host's transport.
bool render(PluginSession& session, HostContext& host, const wav::Audio& input,
            const RenderSettings& settings, wav::Audio& output, std::string& error);

}  // namespace plux::vsthost
