#include "tools/vsthost/output_format.h"

#include <filesystem>

namespace plux::vsthost {

bool renderOutputFormat(const RenderOptions& o, audio::Encoding& encoding,
                        audio::Container& container, std::string& error) {
    container = audio::Container::Wav;
    audio::containerForPath(std::filesystem::u8path(o.outPath), container);
    const bool flac = container == audio::Container::Flac;
    const OutFormat fallback = flac                ? OutFormat::Pcm24
                               : o.doublePrecision ? OutFormat::Float64
                                                   : OutFormat::Float32;
    switch (o.outFormat.value_or(fallback)) {
    case OutFormat::Float32:
        encoding = audio::Encoding::Float32;
        break;
    case OutFormat::Float64:
        encoding = audio::Encoding::Float64;
        break;
    case OutFormat::Pcm16:
        encoding = audio::Encoding::Pcm16;
        break;
    case OutFormat::Pcm24:
        encoding = audio::Encoding::Pcm24;
        break;
    }
    if (flac && (encoding == audio::Encoding::Float32 || encoding == audio::Encoding::Float64)) {
        error = "--out " + o.outPath +
                ": FLAC holds only PCM; use --out-format pcm16 or pcm24, or another container";
        return false;
    }
    return true;
}

}  // namespace plux::vsthost
