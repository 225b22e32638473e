// Reading and writing RIFF/WAVE files, independent of any platform API.
// Samples live in memory as doubles, one vector per channel, full scale 1.0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace plux::wav {

struct Audio {
    std::uint32_t sampleRate = 0;
    std::vector<std::vector<double>> channels;  // all of equal length

    std::size_t frameCount() const { return channels.empty() ? 0 : channels.front().size(); }
};

// How samples are stored in a file.
enum class Encoding {
    Pcm8,  // unsigned, offset 128
    Pcm16,
    Pcm24,
    Pcm32,
    Float32,
    Float64,
};

// Parses a whole file image. Accepts PCM 8/16/24/32-bit and IEEE float 32/64,
// plain or WAVE_FORMAT_EXTENSIBLE, any channel count, chunks in any order.
// On failure returns false, leaves `out` empty and says why in `error`.
bool decode(const std::uint8_t* bytes, std::size_t size, Audio& out, std::string& error);
bool readFile(const std::filesystem::path& path, Audio& out, std::string& error);

// Integer encodings round half away from zero and clip to the representable
// range (so +1.0 becomes the largest positive code); NaN becomes 0.
// Fails for no channels, unequal channel lengths, a zero rate or a data size
// beyond what RIFF can hold.
bool encode(const Audio& audio, Encoding encoding, std::vector<std::uint8_t>& out,
            std::string& error);
// The file appears only when complete (a temporary beside it, renamed into
// place); a symbolic link is written through. Only regular files are read.
bool writeFile(const std::filesystem::path& path, const Audio& audio, Encoding encoding,
               std::string& error);

}  // namespace plux::wav
