// What `vsthost render --out OUT` writes: the container OUT's extension names
// (.wav, .rf64, .w64, .aif/.aiff, .flac; WAV for any other name) holding the
// encoding --out-format names. By default that is 32-bit float (64-bit at
// --precision 64), and 24-bit PCM in FLAC, which holds no floats.
#pragma once

#include "tools/common/audio_file.h"
#include "tools/vsthost/command_line.h"

#include <string>

namespace plux::vsthost {

// False, saying why, for an encoding the container cannot hold.
bool renderOutputFormat(const RenderOptions& options, audio::Encoding& encoding,
                        audio::Container& container, std::string& error);

}  // namespace plux::vsthost
