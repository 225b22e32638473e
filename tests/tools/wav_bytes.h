// Builds WAV file images byte by byte, independently of the code under test,
// so that tests check against the file format rather than against a writer.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

namespace plux::wavbytes {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void put24(Bytes& b, std::uint32_t v) {
    put16(b, v);
    b.push_back(static_cast<std::uint8_t>(v >> 16));
}

inline void put32(Bytes& b, std::uint32_t v) {
    put16(b, v);
    put16(b, v >> 16);
}

inline void putFloat(Bytes& b, float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    put32(b, bits);
}

inline void putDouble(Bytes& b, double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    put32(b, static_cast<std::uint32_t>(bits));
    put32(b, static_cast<std::uint32_t>(bits >> 32));
}

// A chunk with its header; odd sizes get the pad byte unless `pad` is false.
inline Bytes chunk(const char* id, const Bytes& body, bool pad = true) {
    Bytes b(id, id + 4);
    put32(b, static_cast<std::uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (pad && body.size() % 2 != 0)
        b.push_back(0);
    return b;
}

inline Bytes riff(std::initializer_list<Bytes> chunks) {
    Bytes body = {'W', 'A', 'V', 'E'};
    for (const Bytes& c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    Bytes b = {'R', 'I', 'F', 'F'};
    put32(b, static_cast<std::uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// A 16-byte 'fmt ' body with consistent byte rate and block align.
inline Bytes fmtBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                     std::uint16_t bits) {
    Bytes b;
    const std::uint32_t align = channels * (bits / 8u);
    put16(b, tag);
    put16(b, channels);
    put32(b, rate);
    put32(b, rate * align);
    put16(b, align);
    put16(b, bits);
    return b;
}

// A 40-byte WAVE_FORMAT_EXTENSIBLE body whose subformat GUID carries `subTag`.
inline Bytes extensibleFmtBody(std::uint16_t subTag, std::uint16_t channels, std::uint32_t rate,
                               std::uint16_t bits, std::uint16_t validBits,
                               std::uint32_t channelMask) {
    Bytes b = fmtBody(0xFFFE, channels, rate, bits);
    put16(b, 22);  // cbSize
    put16(b, validBits);
    put32(b, channelMask);
    put16(b, subTag);
    const std::uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                   0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    b.insert(b.end(), tail, tail + 14);
    return b;
}

inline std::uint32_t get32(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

inline std::uint16_t get16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

inline std::string text(const Bytes& b, std::size_t at, std::size_t n) {
    return std::string(b.begin() + static_cast<std::ptrdiff_t>(at),
                       b.begin() + static_cast<std::ptrdiff_t>(at + n));
}

// A file holding exactly `bytes`.
inline void writeImage(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// The whole content of a file.
inline Bytes readImage(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace plux::wavbytes
