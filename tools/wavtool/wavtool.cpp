#include "tools/wavtool/wavtool.h"

#include <cerrno>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "effects/nulltest/channel_levels.h"
#include "tools/common/analytic_signal.h"
#include "tools/common/audio_file.h"
#include "tools/common/file_paths.h"
#include "tools/common/release.h"

namespace plux::wavtool {
namespace {

namespace fs = std::filesystem;
using plux::audio::Audio;

const char kUsage[] =
    "Usage: wavtool peak FILE\n"
    "  or:  wavtool pair A B OUT\n"
    "  or:  wavtool compare A B\n"
    "  or:  wavtool shift IN OUT FRAMES [--invert] [--gain DB]\n"
    "  or:  wavtool synth OUT [synth options]\n"
    "  or:  wavtool --help | --version\n"
    "\n"
    "  peak      the peak of each channel\n"
    "  pair      left: channel 0 of A, right: channel 0 of B, as float32\n"
    "  compare   exit 0 when the samples are equal, 1 when they differ\n"
    "  shift     IN delayed by FRAMES: silence before it, or its first -FRAMES\n"
    "            frames dropped; as float32\n"
    "  synth     programme-like material, 24-bit: 64 sines below 0.4 x the rate;\n"
    "            frame n holds the material's frame (n - FRAMES) * (1 + PPM 1e-6),\n"
    "            the sines from HZ up BAND-GAIN dB apart; the same SEED makes the\n"
    "            same material\n"
    "\n"
    "Synth options:\n"
    "  --seconds S, --rate HZ, --channels N   (default 10 s, 48000 Hz, 2 channels)\n"
    "  --seed K, --delay FRAMES, --ppm PPM    (default 1, 0, 0)\n"
    "  --gain DB, --invert                    level and polarity\n"
    "  --above HZ --band-gain DB              the sines from HZ up changed in level\n"
    "\n"
    "Files: WAV, RF64, W64, AIFF, FLAC; OUT's extension picks its container\n"
    "(WAV for any other). Errors exit 2.\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// Paths arrive as UTF-8 on every system.
bool load(const std::string& path, Audio& audio) {
    std::string error;
    if (!plux::audio::readFile(fs::u8path(path), audio, error)) {
        std::fprintf(stderr, "wavtool: %s\n", error.c_str());
        return false;
    }
    if (audio.channels.empty()) {
        std::fprintf(stderr, "wavtool: %s: no audio\n", path.c_str());
        return false;
    }
    return true;
}

// Before any work: OUT may not replace an input, a device or a folder.
bool outputAllowed(const std::string& out, const std::vector<std::string>& inputs) {
    std::vector<plux::files::NamedPath> named;
    for (const std::string& input : inputs)
        named.push_back({"input", fs::u8path(input)});
    std::string error;
    if (plux::files::checkOutputs({{"OUT", fs::u8path(out)}}, named, error))
        return true;
    std::fprintf(stderr, "wavtool: %s\n", error.c_str());
    return false;
}

// Float32 in the container OUT's name asks for, WAV when it names none.
bool save(const std::string& path, const Audio& audio, plux::audio::Encoding encoding) {
    plux::audio::Container container = plux::audio::Container::Wav;
    plux::audio::containerForPath(fs::u8path(path), container);
    std::string error;
    if (plux::audio::writeFile(fs::u8path(path), audio, encoding, container, error))
        return true;
    std::fprintf(stderr, "wavtool: %s\n", error.c_str());
    return false;
}

int peak(const std::string& path) {
    Audio audio;
    if (!load(path, audio))
        return 2;
    for (size_t c = 0; c < audio.channels.size(); ++c) {
        const auto& channel = audio.channels[c];
        const double p = nulltest::channelLevels(channel.data(), channel.size()).peak;
        std::printf("channel %zu: peak %.17g (%s dB FS)\n", c, p, nulltest::formatLevelDb(p).c_str());
    }
    return 0;
}

int pair(const std::string& a, const std::string& b, const std::string& out) {
    Audio left, right;
    if (!outputAllowed(out, {a, b}) || !load(a, left) || !load(b, right))
        return 2;
    if (left.sampleRate != right.sampleRate || left.frameCount() != right.frameCount()) {
        std::fprintf(stderr, "wavtool: %s and %s differ in rate or length\n", a.c_str(), b.c_str());
        return 2;
    }
    Audio stereo;
    stereo.sampleRate = left.sampleRate;
    stereo.channels = {std::move(left.channels[0]), std::move(right.channels[0])};
    return save(out, stereo, plux::audio::Encoding::Float32) ? 0 : 2;
}

int compare(const std::string& a, const std::string& b) {
    Audio x, y;
    if (!load(a, x) || !load(b, y))
        return 2;
    if (x.channels != y.channels || x.sampleRate != y.sampleRate) {
        std::printf("%s and %s differ\n", a.c_str(), b.c_str());
        return 1;
    }
    std::printf("%s and %s are identical (%zu frames)\n", a.c_str(), b.c_str(), x.frameCount());
    return 0;
}

// A shift of at most 2^31 - 1 frames either way (over 12 hours at 48 kHz), so
// that a mistyped number fails here rather than as a giant allocation.
bool parseFrames(const char* text, long long& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(text, &end, 10);
    return end != text && *end == '\0' && errno == 0 && out >= -INT32_MAX && out <= INT32_MAX;
}

bool parseDecibels(const char* text, double& out) {
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(out);
}

// IN moved later by `frames` (earlier when negative), times `factor`.
int shift(const std::string& in, const std::string& out, long long frames, double factor) {
    Audio audio;
    if (!outputAllowed(out, {in}) || !load(in, audio))
        return 2;
    const auto length = static_cast<long long>(audio.frameCount());
    if (frames < 0 && -frames >= length) {
        std::fprintf(stderr, "wavtool: %s: dropping %lld frames leaves nothing of its %lld\n",
                     in.c_str(), -frames, length);
        return 2;
    }
    for (auto& channel : audio.channels) {
        for (double& s : channel)
            s *= factor;
        if (frames >= 0)
            channel.insert(channel.begin(), static_cast<std::size_t>(frames), 0.0);
        else
            channel.erase(channel.begin(), channel.begin() + static_cast<std::ptrdiff_t>(-frames));
    }
    return save(out, audio, plux::audio::Encoding::Float32) ? 0 : 2;
}

int shiftCommand(const std::vector<std::string>& args) {
    long long frames = 0;
    if (args.size() < 4 || !parseFrames(args[3].c_str(), frames))
        return usage();
    double factor = 1.0;
    for (std::size_t i = 4; i < args.size(); ++i) {
        const std::string& option = args[i];
        double db = 0.0;
        if (option == "--invert") {
            factor = -factor;
        } else if (option == "--gain" && i + 1 < args.size() &&
                   parseDecibels(args[i + 1].c_str(), db)) {
            factor *= std::pow(10.0, db / 20.0);
            ++i;
        } else {
            return usage();
        }
    }
    return shift(args[1], args[2], frames, factor);
}

struct SynthSettings {
    double seconds = 10, rate = 48000, delay = 0, ppm = 0, gainDb = 0, aboveHz = 0, bandDb = 0;
    double channels = 2, seed = 1;
    bool invert = false;
};

bool parseNumber(const char* text, double& out) {
    return parseDecibels(text, out);
}

// Material that any delay, drift and level of a pair can be made from
// exactly, as a copy recorded through another path would differ.
int synth(const std::string& out, const SynthSettings& s) {
    if (!outputAllowed(out, {}))
        return 2;
    const bool sane = s.seconds > 0 && s.seconds <= 3600 && s.rate >= 8000 && s.rate <= 384000 &&
                      s.rate == std::floor(s.rate) && s.channels >= 1 && s.channels <= 8 &&
                      s.channels == std::floor(s.channels) && std::fabs(s.ppm) < 1e5 &&
                      std::fabs(s.delay) < 1e7 && s.seed >= 0 && s.seed < 4294967296.0;
    if (!sane) {
        std::fprintf(stderr, "wavtool: synth: --seconds 0 ... 3600, --rate 8000 ... 384000, "
                             "--channels 1 ... 8\n");
        return 2;
    }
    Audio audio;
    audio.sampleRate = static_cast<int>(s.rate);
    const auto frames = static_cast<std::size_t>(std::llround(s.seconds * s.rate));
    const double gain = (s.invert ? -1.0 : 1.0) * std::pow(10.0, s.gainDb / 20.0);
    for (int c = 0; c < static_cast<int>(s.channels); ++c) {
        plux::audio::AnalyticSignal signal(
            static_cast<unsigned>(s.seed) * 16u + static_cast<unsigned>(c), 64, s.rate, 0.5);
        if (s.aboveHz > 0)
            signal.scaleAbove(s.aboveHz, std::pow(10.0, s.bandDb / 20.0));
        audio.channels.push_back(signal.render(frames, s.delay, s.ppm, gain));
    }
    return save(out, audio, plux::audio::Encoding::Pcm24) ? 0 : 2;
}

int synthCommand(const std::vector<std::string>& args) {
    if (args.size() < 2)
        return usage();
    SynthSettings s;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--invert") {
            s.invert = true;
            continue;
        }
        double* target = option == "--seconds"     ? &s.seconds
                         : option == "--rate"      ? &s.rate
                         : option == "--channels"  ? &s.channels
                         : option == "--seed"      ? &s.seed
                         : option == "--delay"     ? &s.delay
                         : option == "--ppm"       ? &s.ppm
                         : option == "--gain"      ? &s.gainDb
                         : option == "--above"     ? &s.aboveHz
                         : option == "--band-gain" ? &s.bandDb
                                                   : nullptr;
        if (target == nullptr || i + 1 >= args.size() || !parseNumber(args[i + 1].c_str(), *target))
            return usage();
        ++i;
    }
    return synth(args[1], s);
}

int run(const std::vector<std::string>& args) {
    const std::string command = args.empty() ? "" : args[0];
    if ((command == "--help" || command == "-h") && args.size() == 1) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "--version" && args.size() == 1)
        return std::fputs(plux::tools::versionLine("wavtool").c_str(), stdout) < 0 ? 2 : 0;
    if (command == "peak" && args.size() == 2)
        return peak(args[1]);
    if (command == "pair" && args.size() == 4)
        return pair(args[1], args[2], args[3]);
    if (command == "compare" && args.size() == 3)
        return compare(args[1], args[2]);
    if (command == "shift")
        return shiftCommand(args);
    if (command == "synth")
        return synthCommand(args);
    return usage();
}

}  // namespace

int runWavtool(const std::vector<std::string>& args) {
    // The file layer reports its own failures; this catches what is left,
    // such as running out of memory for a huge shift.
    try {
        return run(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "wavtool: %s\n", e.what());
        return 2;
    }
}

}  // namespace plux::wavtool
