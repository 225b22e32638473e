#include "tools/nullmeter/file_comparison.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace nullmeter {

namespace {

constexpr std::int64_t kReadFrames = 4096;
// The alignment excerpt: long enough for the correlation to see four search
// ranges of material, bounded to about 32 MB for both files together.
constexpr std::int64_t kExcerptBaseFrames = 1 << 18;
constexpr std::int64_t kExcerptBytes = 32 << 20;

// One input: a reader and the channels taken from it.
struct Source {
    plux::audio::Reader reader;
    std::string path;
    std::vector<int> channels;
    std::vector<double> interleaved;  // one read, all the file's channels
    std::vector<double> selected;     // the same frames, compared channels only
    bool ended = false;
    std::int64_t position = 0;        // frames read since the last seek

    int fileChannels() const { return reader.info().channels; }

    // Reads up to `frames` frames of the compared channels into `selected`:
    // answers the count, 0 at the end, -1 on error.
    std::int64_t read(std::int64_t frames, std::string& error) {
        const std::size_t fileWidth = static_cast<std::size_t>(fileChannels());
        interleaved.resize(static_cast<std::size_t>(frames) * fileWidth);
        const std::int64_t n = reader.read(interleaved.data(), frames, error);
        if (n == 0 && position < reader.info().frames) {
            // The decoder stopped short of the length the file announced.
            error = path + ": ends after " + std::to_string(position) + " of the " +
                    std::to_string(reader.info().frames) +
                    " frames its header announces (truncated or damaged)";
            return -1;
        }
        if (n <= 0)
            return n;
        position += n;
        const std::size_t width = channels.size();
        selected.resize(static_cast<std::size_t>(n) * width);
        for (std::int64_t i = 0; i < n; ++i)
            for (std::size_t c = 0; c < width; ++c)
                selected[static_cast<std::size_t>(i) * width + c] =
                    interleaved[static_cast<std::size_t>(i) * fileWidth +
                                static_cast<std::size_t>(channels[c])];
        return n;
    }
};

bool openSource(const Input& input, Source& source, SourceInfo& info, std::string& error) {
    if (!source.reader.open(input.path, error))
        return false;
    info.path = input.path.string();
    source.path = info.path;
    info.info = source.reader.info();
    if (input.channels.empty()) {
        for (int c = 0; c < info.info.channels; ++c)
            source.channels.push_back(c);
    } else {
        for (int c : input.channels) {
            if (c < 0 || c >= info.info.channels) {
                error = info.path + ": has no channel " + std::to_string(c + 1);
                return false;
            }
        }
        source.channels = input.channels;
    }
    info.channels = source.channels;
    return true;
}

// The first frame with any non-zero sample, or -1 when there is none.
std::int64_t firstSound(Source& s, std::string& error) {
    std::int64_t position = 0;
    for (;;) {
        const std::int64_t n = s.read(kReadFrames, error);
        if (n < 0)
            return -2;
        if (n == 0)
            return -1;
        const std::size_t width = s.channels.size();
        for (std::int64_t i = 0; i < n; ++i)
            for (std::size_t c = 0; c < width; ++c)
                if (s.selected[static_cast<std::size_t>(i) * width + c] != 0.0)
                    return position + i;
        position += n;
    }
}

bool readExcerpt(Source& s, std::int64_t start, std::int64_t frames,
                 std::vector<std::vector<double>>& out, std::string& error) {
    if (!s.reader.seek(std::min(start, s.reader.info().frames), error))
        return false;
    s.position = std::min(start, s.reader.info().frames);
    out.assign(s.channels.size(), {});
    for (auto& channel : out)
        channel.reserve(static_cast<std::size_t>(frames));
    while (frames > 0) {
        const std::int64_t n = s.read(std::min(frames, kReadFrames), error);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        for (std::int64_t i = 0; i < n; ++i)
            for (std::size_t c = 0; c < out.size(); ++c)
                out[c].push_back(s.selected[static_cast<std::size_t>(i) * out.size() + c]);
        frames -= n;
    }
    return true;
}

}  // namespace

struct FileComparison::Impl {
    Source a, b;
    ComparisonSettings settings;
};

FileComparison::FileComparison() : impl_(std::make_unique<Impl>()) {}
FileComparison::~FileComparison() = default;

bool FileComparison::open(const Input& a, const Input& b, const ComparisonSettings& settings,
                          std::string& error) {
    impl_->settings = settings;
    if (!openSource(a, impl_->a, result_.a, error) || !openSource(b, impl_->b, result_.b, error))
        return false;
    const plux::audio::FileInfo& ia = result_.a.info;
    const plux::audio::FileInfo& ib = result_.b.info;
    if (ia.sampleRate != ib.sampleRate) {
        error = result_.a.path + " is at " + std::to_string(ia.sampleRate) + " Hz but " +
                result_.b.path + " is at " + std::to_string(ib.sampleRate) +
                " Hz: convert one of them first; the null test never resamples";
        return false;
    }
    if (result_.a.channels.size() != result_.b.channels.size()) {
        const auto count = [](std::size_t n) {
            return std::to_string(n) + (n == 1 ? " channel" : " channels");
        };
        error = result_.a.path + " has " + count(result_.a.channels.size()) + " but " +
                result_.b.path + " has " + count(result_.b.channels.size());
        return false;
    }
    result_.channels = static_cast<int>(result_.a.channels.size());
    result_.sampleRate = ia.sampleRate;
    result_.windowSeconds = settings.windowSeconds;
    result_.windowFrames = ChannelPairMeter(0, ia.sampleRate, settings.windowSeconds).windowFrames();
    result_.searchFrames = static_cast<std::int64_t>(
        std::llround(settings.searchSeconds * static_cast<double>(ia.sampleRate)));
    return true;
}

bool FileComparison::estimate(std::string& error) {
    Source& a = impl_->a;
    Source& b = impl_->b;
    const std::int64_t maxLag = result_.searchFrames;
    const std::int64_t first = firstSound(a, error);
    if (first == -2)
        return false;
    if (first >= 0) {
        const std::int64_t bytesPerFrame =
            2 * static_cast<std::int64_t>(sizeof(double)) * result_.channels;
        const std::int64_t frames =
            std::min(4 * maxLag + kExcerptBaseFrames, kExcerptBytes / bytesPerFrame);
        const std::int64_t start = std::max<std::int64_t>(0, first - maxLag);
        std::vector<std::vector<double>> ea, eb;
        try {
            if (!readExcerpt(a, start, frames, ea, error) ||
                !readExcerpt(b, start, frames, eb, error))
                return false;
        } catch (const std::bad_alloc&) {
            error = "not enough memory for the alignment excerpt";
            return false;
        }
        result_.alignment = estimateAlignment(ea, eb, maxLag);
    }
    result_.alignmentApplied =
        impl_->settings.align && result_.alignment.found && result_.alignment.gain > 0.0;
    a.position = b.position = 0;
    return a.reader.seek(0, error) && b.reader.seek(0, error);
}

bool FileComparison::run(const WindowSink& sink, const BlockTap& tap, std::string& error) {
    Source& a = impl_->a;
    Source& b = impl_->b;
    const ComparisonSettings& settings = impl_->settings;
    const int channels = result_.channels;
    const double rate = result_.sampleRate;

    std::vector<std::unique_ptr<Measurement>> measurements;
    measurements.push_back(
        std::make_unique<Measurement>(channels, rate, settings.windowSeconds, 0, 0, 1.0));
    const AlignmentEstimate& est = result_.alignment;
    std::int64_t shift = 0;
    if (result_.alignmentApplied) {
        shift = est.offsetFrames < 0 ? -est.offsetFrames : est.offsetFrames;
        measurements.push_back(std::make_unique<Measurement>(
            channels, rate, settings.windowSeconds, std::max<std::int64_t>(0, -est.offsetFrames),
            std::max<std::int64_t>(0, est.offsetFrames), est.polarity / est.gain));
    }
    for (const auto& m : measurements) {
        if (!m->ok()) {
            error = "the null-test meter could not be set up";
            return false;
        }
    }
    result_.windowFrames = measurements.front()->windowFrames();
    Measurement& final = *measurements.back();
    final.setTap(tap);

    // The lagging queue of the shifted measurement holds up to `shift` frames.
    const std::int64_t queueLimit = shift + 2 * kReadFrames;
    const auto done = [&](Measurement& m) {
        return (a.ended && m.queueA().size() == 0) || (b.ended && m.queueB().size() == 0);
    };
    const auto feed = [&](Source& s, bool isA) -> int {
        if (s.ended)
            return 0;
        for (const auto& m : measurements) {
            if (done(*m))
                continue;
            if ((isA ? m->queueA() : m->queueB()).size() >= queueLimit)
                return 0;
        }
        const std::int64_t n = s.read(kReadFrames, error);
        if (n < 0)
            return -1;
        if (n == 0) {
            s.ended = true;
            return 0;
        }
        for (const auto& m : measurements)
            (isA ? m->queueA() : m->queueB()).push(s.selected.data(), n);
        return 1;
    };
    for (;;) {
        const int readA = feed(a, true);
        const int readB = feed(b, false);
        if (readA < 0 || readB < 0)
            return false;
        for (const auto& m : measurements)
            m->consume(m.get() == &final ? sink : WindowSink());
        const bool allDone = std::all_of(measurements.begin(), measurements.end(),
                                         [&](const auto& m) { return done(*m); });
        if (allDone || (readA == 0 && readB == 0 && a.ended && b.ended))
            break;
    }
    for (const auto& m : measurements)
        m->finish(m.get() == &final ? sink : WindowSink());
    result_.plain = measurements.front()->summary();
    if (measurements.size() > 1)
        result_.aligned = final.summary();
    return true;
}

}  // namespace nullmeter
