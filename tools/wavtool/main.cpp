// Small WAV utilities for the demonstration and the integration tests.
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/common/wav.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: wavtool peak FILE.wav\n"
                 "       wavtool pair A.wav B.wav OUT.wav   (left: channel 0 of A, right:\n"
                 "                                           channel 0 of B, as float32)\n"
                 "       wavtool compare A.wav B.wav        (exit 0 when the samples are equal)\n");
    return 2;
}

bool load(const std::string& path, plux::wav::Audio& audio) {
    std::string error;
    if (plux::wav::readFile(path, audio, error) && !audio.channels.empty())
        return true;
    std::fprintf(stderr, "wavtool: %s: %s\n", path.c_str(),
                 error.empty() ? "no audio" : error.c_str());
    return false;
}

int peak(const std::string& path) {
    plux::wav::Audio audio;
    if (!load(path, audio))
        return 1;
    for (size_t c = 0; c < audio.channels.size(); ++c) {
        double p = 0.0;
        for (double s : audio.channels[c])
            p = std::fmax(p, std::fabs(s));
        std::printf("channel %zu: peak %.17g (%.2f dB FS)\n", c, p,
                    p > 0.0 ? 20.0 * std::log10(p) : -HUGE_VAL);
    }
    return 0;
}

int pair(const std::string& a, const std::string& b, const std::string& out) {
    plux::wav::Audio left, right;
    if (!load(a, left) || !load(b, right))
        return 1;
    if (left.sampleRate != right.sampleRate || left.frameCount() != right.frameCount()) {
        std::fprintf(stderr, "wavtool: %s and %s differ in rate or length\n", a.c_str(), b.c_str());
        return 1;
    }
    plux::wav::Audio stereo;
    stereo.sampleRate = left.sampleRate;
    stereo.channels = {left.channels[0], right.channels[0]};
    std::string error;
    if (!plux::wav::writeFile(out, stereo, plux::wav::Encoding::Float32, error)) {
        std::fprintf(stderr, "wavtool: %s: %s\n", out.c_str(), error.c_str());
        return 1;
    }
    return 0;
}

int compare(const std::string& a, const std::string& b) {
    plux::wav::Audio x, y;
    if (!load(a, x) || !load(b, y))
        return 1;
    if (x.channels != y.channels || x.sampleRate != y.sampleRate) {
        std::printf("%s and %s differ\n", a.c_str(), b.c_str());
        return 1;
    }
    std::printf("%s and %s are identical (%zu frames)\n", a.c_str(), b.c_str(), x.frameCount());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "peak" && argc == 3)
        return peak(argv[2]);
    if (command == "pair" && argc == 5)
        return pair(argv[2], argv[3], argv[4]);
    if (command == "compare" && argc == 4)
        return compare(argv[2], argv[3]);
    return usage();
}
