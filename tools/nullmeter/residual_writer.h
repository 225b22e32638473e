// A - B of the compared blocks written as a 32-bit float file while the
// comparison streams past; the file appears only on commit().
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/common/audio_file.h"

namespace nullmeter {

// A - B, interleaved, into the residual file as the blocks go by.
class ResidualWriter {
  public:
    // The containers that hold 32-bit float; false for any other name.
    static bool containerFor(const std::filesystem::path& path, plux::audio::Container& container,
                             std::string& error) {
        if (!plux::audio::containerForPath(path, container) ||
            container == plux::audio::Container::Flac) {
            error = path.string() + ": name it .wav, .rf64, .w64 or .aiff (32-bit float)";
            return false;
        }
        return true;
    }
    bool open(const std::filesystem::path& path, int channels, int rate, std::string& error) {
        plux::audio::Container container;
        if (!containerFor(path, container, error))
            return false;
        channels_ = channels;
        return writer_.open(path, channels, rate, plux::audio::Encoding::Float32, container, error);
    }
    void block(const std::vector<std::vector<double>>& a, const std::vector<std::vector<double>>& b,
               std::int64_t frames) {
        if (!error_.empty())
            return;
        buffer_.resize(static_cast<std::size_t>(frames * channels_));
        for (std::int64_t i = 0; i < frames; ++i)
            for (int c = 0; c < channels_; ++c)
                buffer_[static_cast<std::size_t>(i * channels_ + c)] =
                    a[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] -
                    b[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)];
        writer_.write(buffer_.data(), frames, error_);
    }
    bool commit(std::string& error) {
        if (!error_.empty()) {
            error = error_;
            return false;
        }
        return writer_.commit(error);
    }

  private:
    plux::audio::Writer writer_;
    int channels_ = 0;
    std::vector<double> buffer_;
    std::string error_;
};

}  // namespace nullmeter
