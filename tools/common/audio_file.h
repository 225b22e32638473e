// Audio files of every format the tools read and write, on both systems,
// through libsndfile: WAV (PCM 8/16/24/32, float 32/64, EXTENSIBLE), RF64,
// W64, AIFF, FLAC, and for reading whatever else libsndfile reads. Samples
// are doubles, full scale 1.0; integer formats are scaled by 1 / 2^(bits - 1),
// floating-point samples arrive as stored (non-finite values included, never
// clipped). Paths are the system's own: on Windows files open by their
// UTF-16 names.
//
// Nothing here throws. Every failure names the file and says why in
// `error`, in words a user can act on ("no such file", "is a directory",
// "empty file", "not an audio file libsndfile can read (...)").
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace plux::audio {

struct FileInfo {
    std::int64_t frames = 0;
    int channels = 0;
    int sampleRate = 0;
    std::string format;  // for people: "WAV, PCM 24-bit", "FLAC, PCM 16-bit", ...
};

// Streams a file in blocks of interleaved frames; memory stays what the
// caller's buffers hold, whatever the file length.
class Reader {
  public:
    Reader();
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Fails for a missing file, a directory, an empty or unrecognised file
    // (one cut off inside its header included), and a file with no channels
    // or a zero rate. A file cut off inside its audio data reads as the
    // frames it holds.
    bool open(const std::filesystem::path& path, std::string& error);
    const FileInfo& info() const;
    // Reads up to `frames` frames (channels() doubles each) into `interleaved`;
    // answers how many were read, 0 at the end, -1 on a read error (`error` says which).
    std::int64_t read(double* interleaved, std::int64_t frames, std::string& error);
    // Moves to frame `frame` (0 ... frames); false on failure.
    bool seek(std::int64_t frame, std::string& error);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

enum class Encoding { Pcm8, Pcm16, Pcm24, Pcm32, Float32, Float64 };
enum class Container { Wav, Rf64, W64, Aiff, Flac };

// Writes a file that appears under its name only when complete: frames go
// to a temporary file beside it, commit() renames it into place, and a
// writer destroyed without a successful commit() removes the temporary
// file, so a failure never leaves a partial output behind; after a failed
// write(), commit() fails too. Integer encodings round and clip; float
// encodings store the values as they are.
class Writer {
  public:
    Writer();
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    bool open(const std::filesystem::path& path, int channels, int sampleRate, Encoding encoding,
              Container container, std::string& error);
    bool write(const double* interleaved, std::int64_t frames, std::string& error);
    bool commit(std::string& error);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Whole files in memory, one vector per channel, for the small jobs of the
// demonstration tools.
struct Audio {
    int sampleRate = 0;
    std::vector<std::vector<double>> channels;  // all of equal length
    std::size_t frameCount() const { return channels.empty() ? 0 : channels.front().size(); }
};
bool readFile(const std::filesystem::path& path, Audio& out, std::string& error);
bool writeFile(const std::filesystem::path& path, const Audio& audio, Encoding encoding,
               Container container, std::string& error);
// writeFile but for its last step: the whole of `audio` is in `writer`,
// which puts the file in place on commit() (or leaves nothing if destroyed
// first), so that a run with several outputs renames them only when all are
// written.
bool stageFile(const std::filesystem::path& path, const Audio& audio, Encoding encoding,
               Container container, Writer& writer, std::string& error);

// The container a file name asks for: .wav, .rf64, .w64, .aif/.aiff, .flac
// (case-insensitive); false for anything else.
bool containerForPath(const std::filesystem::path& path, Container& out);

}  // namespace plux::audio
