#include "tools/common/wav.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>

#include "tools/common/file_paths.h"
#include "tools/common/staged_file.h"

namespace plux::wav {
namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;

// Bytes 2..15 of every KSDATAFORMAT_SUBTYPE GUID that carries a plain format
// tag in its first two bytes (PCM, IEEE float).
constexpr std::uint8_t kSubformatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                             0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint16_t load16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t load32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint64_t load64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(load32(p)) |
           (static_cast<std::uint64_t>(load32(p + 4)) << 32);
}

bool idIs(const std::uint8_t* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

std::string idText(const std::uint8_t* p) {
    std::string s;
    for (int i = 0; i < 4; ++i) {
        const auto c = static_cast<char>(p[i]);
        s += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return s;
}

struct Chunk {
    const std::uint8_t* body = nullptr;
    std::uint32_t size = 0;
};

struct Format {
    std::uint16_t tag = 0;  // after resolving WAVE_FORMAT_EXTENSIBLE
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bits = 0;
};

std::optional<Encoding> encodingOf(const Format& f) {
    if (f.tag == kFormatPcm) {
        switch (f.bits) {
        case 8:
            return Encoding::Pcm8;
        case 16:
            return Encoding::Pcm16;
        case 24:
            return Encoding::Pcm24;
        case 32:
            return Encoding::Pcm32;
        default:
            return std::nullopt;
        }
    }
    if (f.tag == kFormatFloat) {
        if (f.bits == 32)
            return Encoding::Float32;
        if (f.bits == 64)
            return Encoding::Float64;
    }
    return std::nullopt;
}

bool parseFormat(const Chunk& chunk, Format& f, std::string& error) {
    if (chunk.size < 16) {
        error = "'fmt ' chunk is too short (" + std::to_string(chunk.size) + " bytes)";
        return false;
    }
    const std::uint8_t* p = chunk.body;
    f.tag = load16(p);
    f.channels = load16(p + 2);
    f.sampleRate = load32(p + 4);
    f.blockAlign = load16(p + 12);
    f.bits = load16(p + 14);
    if (f.tag == kFormatExtensible) {
        if (chunk.size < 40 || load16(p + 16) < 22) {
            error = "WAVE_FORMAT_EXTENSIBLE 'fmt ' chunk is too short";
            return false;
        }
        const std::uint8_t* guid = p + 24;
        if (std::memcmp(guid + 2, kSubformatTail, sizeof kSubformatTail) != 0) {
            error = "unsupported WAVE_FORMAT_EXTENSIBLE subformat";
            return false;
        }
        f.tag = load16(guid);
    }
    if (f.channels == 0) {
        error = "the file declares no channels";
        return false;
    }
    if (f.sampleRate == 0) {
        error = "the file declares a sample rate of 0";
        return false;
    }
    if (!encodingOf(f)) {
        error = "unsupported sample format: tag " + std::to_string(f.tag) + " with " +
                std::to_string(f.bits) + " bits";
        return false;
    }
    if (f.blockAlign != static_cast<std::uint32_t>(f.channels) * (f.bits / 8u)) {
        error = "block align " + std::to_string(f.blockAlign) + " does not match " +
                std::to_string(f.channels) + " channels of " + std::to_string(f.bits) + " bits";
        return false;
    }
    return true;
}

double decodeSample(const std::uint8_t* p, Encoding e) {
    switch (e) {
    case Encoding::Pcm8:
        return (static_cast<int>(p[0]) - 128) / 128.0;
    case Encoding::Pcm16:
        return static_cast<std::int16_t>(load16(p)) / 32768.0;
    case Encoding::Pcm24: {
        // Place the 24 bits at the top of an int32 so the sign comes along.
        const auto top = static_cast<std::int32_t>((static_cast<std::uint32_t>(p[0]) << 8) |
                                                   (static_cast<std::uint32_t>(p[1]) << 16) |
                                                   (static_cast<std::uint32_t>(p[2]) << 24));
        return (top / 256) / 8388608.0;
    }
    case Encoding::Pcm32:
        return static_cast<std::int32_t>(load32(p)) / 2147483648.0;
    case Encoding::Float32: {
        const std::uint32_t bits = load32(p);
        float v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    case Encoding::Float64: {
        const std::uint64_t bits = load64(p);
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    }
    return 0.0;
}

// Scans the chunk list; a chunk running past the end of the file is an error
// only if it is the first 'fmt ' or 'data' chunk, otherwise it ends the scan
// (trailing junk is common).
bool findChunks(const std::uint8_t* bytes, std::size_t size, Chunk& fmt, Chunk& data,
                std::string& error) {
    std::size_t pos = 12;
    while (size - pos >= 8) {
        const std::uint8_t* header = bytes + pos;
        const std::uint32_t chunkSize = load32(header + 4);
        const std::size_t available = size - pos - 8;
        Chunk* wanted = nullptr;
        if (idIs(header, "fmt ") && !fmt.body)
            wanted = &fmt;
        if (idIs(header, "data") && !data.body)
            wanted = &data;
        if (chunkSize > available) {
            if (!wanted)
                break;
            error = "'" + idText(header) + "' chunk is truncated: it declares " +
                    std::to_string(chunkSize) + " bytes, " + std::to_string(available) +
                    " are present";
            return false;
        }
        if (wanted) {
            wanted->body = header + 8;
            wanted->size = chunkSize;
        }
        // Chunks start at even offsets; the pad byte may be missing at the end.
        pos += 8 + static_cast<std::size_t>(chunkSize);
        if ((chunkSize & 1u) != 0 && pos < size)
            ++pos;
    }
    if (!fmt.body) {
        error = "no 'fmt ' chunk";
        return false;
    }
    if (!data.body) {
        error = "no 'data' chunk";
        return false;
    }
    return true;
}

std::size_t bytesPerSample(Encoding e) {
    switch (e) {
    case Encoding::Pcm8:
        return 1;
    case Encoding::Pcm16:
        return 2;
    case Encoding::Pcm24:
        return 3;
    case Encoding::Pcm32:
        return 4;
    case Encoding::Float32:
        return 4;
    case Encoding::Float64:
        return 8;
    }
    return 0;
}

// Rounds half away from zero and clips to [lo, hi]; NaN gives 0.
std::int64_t quantise(double scaled, std::int64_t lo, std::int64_t hi) {
    if (std::isnan(scaled))
        return 0;
    if (scaled >= static_cast<double>(hi))
        return hi;
    if (scaled <= static_cast<double>(lo))
        return lo;
    return static_cast<std::int64_t>(std::round(scaled));
}

void store(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void storeId(std::vector<std::uint8_t>& out, const char* id) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(id[i]));
}

void encodeSample(std::vector<std::uint8_t>& out, double x, Encoding e) {
    switch (e) {
    case Encoding::Pcm8:
        store(out, static_cast<std::uint64_t>(quantise(x * 128.0, -128, 127) + 128), 1);
        return;
    case Encoding::Pcm16:
        store(out, static_cast<std::uint64_t>(quantise(x * 32768.0, -32768, 32767)), 2);
        return;
    case Encoding::Pcm24:
        store(out, static_cast<std::uint64_t>(quantise(x * 8388608.0, -8388608, 8388607)), 3);
        return;
    case Encoding::Pcm32:
        store(out,
              static_cast<std::uint64_t>(quantise(x * 2147483648.0, -2147483648LL, 2147483647LL)),
              4);
        return;
    case Encoding::Float32: {
        const auto v = static_cast<float>(x);
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        store(out, bits, 4);
        return;
    }
    case Encoding::Float64: {
        std::uint64_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        store(out, bits, 8);
        return;
    }
    }
}

}  // namespace

bool decode(const std::uint8_t* bytes, std::size_t size, Audio& out, std::string& error) {
    out = Audio{};
    if (!bytes || size < 12) {
        error = "too short for a RIFF/WAVE header";
        return false;
    }
    if (!idIs(bytes, "RIFF") || !idIs(bytes + 8, "WAVE")) {
        error = "not a RIFF/WAVE file";
        return false;
    }
    Chunk fmtChunk, dataChunk;
    if (!findChunks(bytes, size, fmtChunk, dataChunk, error))
        return false;
    Format format;
    if (!parseFormat(fmtChunk, format, error))
        return false;
    if (dataChunk.size % format.blockAlign != 0) {
        error = "'data' chunk of " + std::to_string(dataChunk.size) +
                " bytes is not a whole number of " + std::to_string(format.blockAlign) +
                "-byte frames";
        return false;
    }
    const Encoding encoding = *encodingOf(format);
    const std::size_t step = bytesPerSample(encoding);
    const std::size_t frames = dataChunk.size / format.blockAlign;
    Audio audio;
    audio.sampleRate = format.sampleRate;
    audio.channels.assign(format.channels, std::vector<double>(frames));
    const std::uint8_t* p = dataChunk.body;
    for (std::size_t i = 0; i < frames; ++i) {
        for (auto& channel : audio.channels) {
            channel[i] = decodeSample(p, encoding);
            p += step;
        }
    }
    out = std::move(audio);
    return true;
}

bool readFile(const std::filesystem::path& path, Audio& out, std::string& error) {
    out = Audio{};
    if (!files::checkInput(path, error))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path.u8string();
        return false;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "cannot read " + path.u8string();
        return false;
    }
    if (!decode(bytes.data(), bytes.size(), out, error)) {
        error = path.u8string() + ": " + error;
        return false;
    }
    return true;
}

bool encode(const Audio& audio, Encoding encoding, std::vector<std::uint8_t>& out,
            std::string& error) {
    out.clear();
    const std::size_t channels = audio.channels.size();
    if (channels == 0 || channels > 0xFFFF) {
        error = "cannot write " + std::to_string(channels) + " channels";
        return false;
    }
    if (audio.sampleRate == 0) {
        error = "cannot write a sample rate of 0";
        return false;
    }
    const std::size_t frames = audio.frameCount();
    for (const auto& channel : audio.channels) {
        if (channel.size() != frames) {
            error = "channels differ in length";
            return false;
        }
    }
    const bool isFloat = encoding == Encoding::Float32 || encoding == Encoding::Float64;
    const std::uint64_t step = bytesPerSample(encoding);
    const std::uint64_t blockAlign = channels * step;
    const std::uint64_t byteRate = blockAlign * audio.sampleRate;
    // Float files carry cbSize in 'fmt ' and a 'fact' chunk, as the format requires.
    const std::uint64_t fmtSize = isFloat ? 18 : 16;
    const std::uint64_t dataSize = blockAlign * frames;
    const std::uint64_t riffSize =
        4 + (8 + fmtSize) + (isFloat ? 12 : 0) + 8 + dataSize + (dataSize & 1);
    if (blockAlign > 0xFFFF || byteRate > 0xFFFFFFFFu || riffSize > 0xFFFFFFFFu ||
        (isFloat && frames > 0xFFFFFFFFu)) {
        error = "too much audio for a RIFF/WAVE file";
        return false;
    }
    out.reserve(static_cast<std::size_t>(riffSize + 8));
    storeId(out, "RIFF");
    store(out, riffSize, 4);
    storeId(out, "WAVE");
    storeId(out, "fmt ");
    store(out, fmtSize, 4);
    store(out, isFloat ? kFormatFloat : kFormatPcm, 2);
    store(out, channels, 2);
    store(out, audio.sampleRate, 4);
    store(out, byteRate, 4);
    store(out, blockAlign, 2);
    store(out, step * 8, 2);
    if (isFloat) {
        store(out, 0, 2);  // cbSize
        storeId(out, "fact");
        store(out, 4, 4);
        store(out, frames, 4);
    }
    storeId(out, "data");
    store(out, dataSize, 4);
    for (std::size_t i = 0; i < frames; ++i) {
        for (const auto& channel : audio.channels)
            encodeSample(out, channel[i], encoding);
    }
    if ((dataSize & 1) != 0)
        out.push_back(0);
    return true;
}

bool writeFile(const std::filesystem::path& path, const Audio& audio, Encoding encoding,
               std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!encode(audio, encoding, bytes, error))
        return false;
    files::StagedFile file;
    return file.begin(path, error) && file.writeAll(bytes.data(), bytes.size(), error) &&
           file.commit(error);
}

}  // namespace plux::wav
