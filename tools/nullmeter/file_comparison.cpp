#include "tools/nullmeter/file_comparison.h"

#include <algorithm>
#include <cmath>
#include <future>
#include <new>

#include "tools/nullmeter/aligned_stream.h"
#include "tools/nullmeter/drift_resampler.h"
#include "tools/nullmeter/fractional_delay.h"
#include "tools/nullmeter/offset_line.h"
#include "tools/nullmeter/read_ahead.h"
#include "tools/nullmeter/subsample_delay.h"

namespace nullmeter {

namespace {

constexpr std::int64_t kReadFrames = 4096;
// Blocks the decoding threads hand over: large, so that handing over costs
// little against the work.
constexpr std::int64_t kAheadFrames = 32768;
// The whole-sample search: this much of A against B over it and the search
// range, within about 32 MB for both.
constexpr std::int64_t kCoarseFrames = 1 << 17;
constexpr std::int64_t kExcerptBytes = 32 << 20;
// The offset is measured again on excerpts of this length at up to
// kMaxPoints points spread along the overlap.
constexpr std::int64_t kPointFrames = 1 << 15;
constexpr int kMaxPoints = 16;
// The whole-sample search around the offset predicted at a point: wide
// enough for a drift of 500 ppm between neighbouring points.
constexpr std::int64_t kPointSearchFrames = 256;
constexpr double kPointSearchPerFrame = 5e-4;
// Fractions and drifts smaller than these move B by less than a millionth
// of a sample over the files: B is then read as it is, bit for bit.
constexpr double kSmallestFraction = 1e-6;
constexpr double kSmallestDriftFrames = 1e-6;

// One input: a reader and the channels taken from it.
struct Source {
    plux::audio::Reader reader;
    std::unique_ptr<ReadAhead> ahead;  // while streaming: decodes on a thread of its own
    std::string path;
    std::vector<int> channels;
    std::vector<double> interleaved;  // one read, all the file's channels
    std::vector<double> selected;     // the same frames, compared channels only
    std::vector<double> derived;      // what the read-ahead's stage made of them
    bool ended = false;
    std::int64_t position = 0;  // frames read since the last seek

    int fileChannels() const { return reader.info().channels; }

    // Reads up to `frames` frames of the compared channels into `selected`
    // (a block of the read-ahead's size while it runs): answers the count, 0
    // at the end, -1 on error.
    std::int64_t read(std::int64_t frames, std::string& error) {
        const std::size_t fileWidth = static_cast<std::size_t>(fileChannels());
        std::int64_t n = 0;
        const bool everyChannel = keepsEveryChannel(channels, fileChannels());
        if (ahead) {
            // Already the compared channels only.
            n = ahead->next(selected, derived, error);
        } else if (everyChannel) {
            // The file's frames as they are: no selection to make.
            selected.resize(static_cast<std::size_t>(frames) * fileWidth);
            n = reader.read(selected.data(), frames, error);
        } else {
            interleaved.resize(static_cast<std::size_t>(frames) * fileWidth);
            n = reader.read(interleaved.data(), frames, error);
        }
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
        if (ahead)
            return n;
        if (everyChannel) {
            selected.resize(static_cast<std::size_t>(n) * fileWidth);
            return n;
        }
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

// `frames` frames from `start` (which may lie before the file: silence
// there), one vector per compared channel; shorter at the file's end.
bool readExcerpt(Source& s, std::int64_t start, std::int64_t frames,
                 std::vector<std::vector<double>>& out, std::string& error) {
    out.assign(s.channels.size(), {});
    for (auto& channel : out)
        channel.reserve(static_cast<std::size_t>(std::max<std::int64_t>(0, frames)));
    if (start < 0) {
        const std::int64_t silent = std::min(frames, -start);
        for (auto& channel : out)
            channel.assign(static_cast<std::size_t>(silent), 0.0);
        frames -= silent;
        start = 0;
    }
    if (!s.reader.seek(std::min(start, s.reader.info().frames), error))
        return false;
    s.position = std::min(start, s.reader.info().frames);
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

// B read where A's frames [frameOfA, frameOfA + frames) fall for the given
// offset line, through the same stream the measurement uses.
bool alignedExcerpt(Source& b, double start, double step, std::int64_t frameOfA,
                    std::int64_t frames, std::vector<std::vector<double>>& out,
                    std::string& error) {
    const double from = start + static_cast<double>(frameOfA) * step;
    const std::int64_t margin = 2 * (DriftResampler::kSupport + FractionalDelay::kHalfTaps + 64);
    const auto origin = static_cast<std::int64_t>(std::floor(from)) - margin;
    const auto span =
        static_cast<std::int64_t>(std::ceil(static_cast<double>(frames) * step)) + 2 * margin;
    std::vector<std::vector<double>> raw;
    if (!readExcerpt(b, origin, span, raw, error))
        return false;
    const std::size_t width = raw.size();
    std::vector<double> interleaved(raw.empty() ? 0 : raw[0].size() * width);
    for (std::size_t c = 0; c < width; ++c)
        for (std::size_t i = 0; i < raw[c].size(); ++i)
            interleaved[i * width + c] = raw[c][i];
    AlignedStream stream(static_cast<int>(width), from, step, origin);
    std::vector<double> output;
    stream.push(interleaved.data(), static_cast<std::int64_t>(interleaved.size() / width), output);
    stream.finish(output);
    if (!stream.ok()) {
        error = stream.error();
        return false;
    }
    out.assign(width, {});
    const std::size_t have = std::min(output.size() / width, static_cast<std::size_t>(frames));
    for (std::size_t c = 0; c < width; ++c) {
        out[c].resize(have);
        for (std::size_t i = 0; i < have; ++i)
            out[c][i] = output[i * width + c];
    }
    return true;
}

}  // namespace

struct FileComparison::Impl {
    Source a, b;
    Input inputA, inputB;
    ComparisonSettings settings;
    bool estimateInRun = false;  // the estimate runs beside the plain pass
    // Where B is read for A's frame m: start + m * step.
    double start = 0, step = 1;

    bool measurePoints(AlignmentEstimate& estimate, std::int64_t maxLag, std::string& error);
    bool refineLine(AlignmentEstimate& estimate, std::string& error);
    bool measureGain(AlignmentEstimate& estimate, const std::vector<std::int64_t>& points,
                     std::string& error);
    std::vector<std::int64_t> points;  // A's first frame of each point's excerpt
    std::int64_t pointFrames = 0;      // their length
};

namespace {

// B's position for A's frame 0 as applied: whole when the fraction is too
// small to matter, so B's samples pass unchanged.
double appliedStart(double offset) {
    return std::fabs(offset - std::round(offset)) < kSmallestFraction ? std::round(offset) : offset;
}

}  // namespace

// The sub-sample offset at points spread along the overlap, each found
// near the offset the points before it predict, and a line through them.
bool FileComparison::Impl::measurePoints(AlignmentEstimate& estimate, std::int64_t maxLag,
                                         std::string& error) {
    const std::int64_t lengthA = a.reader.info().frames, lengthB = b.reader.info().frames;
    const std::int64_t lag0 = estimate.offsetFrames;
    const std::int64_t margin = kPointSearchFrames + FractionalDelay::kHalfTaps;
    const std::int64_t first = std::max<std::int64_t>(0, -lag0) + margin;
    const std::int64_t last = std::min(lengthA, lengthB - lag0) - margin;
    const std::int64_t excerpt = std::min(kPointFrames, last - first);
    start = appliedStart(estimate.subSampleOffset);
    step = 1;
    points.clear();
    pointFrames = excerpt;
    if (excerpt < kPointFrames / 8)
        return true;  // too short to refine: the first estimate stands
    const std::int64_t room = last - first - excerpt;
    const int count =
        static_cast<int>(std::clamp<std::int64_t>(room / kPointFrames + 1, 1, kMaxPoints));
    std::vector<OffsetPoint> measured;
    OffsetLine line;
    line.intercept = estimate.subSampleOffset;
    std::int64_t previous = first;
    for (int i = 0; i < count; ++i) {
        const std::int64_t at = count == 1 ? first + room / 2 : first + room * i / (count - 1);
        const double predicted =
            line.intercept + line.slope * static_cast<double>(at + excerpt / 2);
        const auto guess = static_cast<std::int64_t>(std::llround(predicted));
        const std::int64_t search = std::min<std::int64_t>(
            std::max<std::int64_t>(maxLag, kPointSearchFrames),
            kPointSearchFrames + static_cast<std::int64_t>(kPointSearchPerFrame *
                                                           static_cast<double>(at - previous)));
        std::vector<std::vector<double>> ea, eb;
        if (!readExcerpt(a, at, excerpt, ea, error) ||
            !readExcerpt(b, at + guess, excerpt, eb, error))
            return false;
        const AlignmentEstimate local = estimateAlignment(ea, eb, search);
        if (!local.found)
            continue;
        const std::int64_t whole = guess + local.offsetFrames;
        if (local.offsetFrames != 0 && !readExcerpt(b, at + whole, excerpt, eb, error))
            return false;
        // The phase line is read for B the right way up.
        if (local.polarity < 0)
            for (auto& channel : eb)
                for (double& v : channel)
                    v = -v;
        const DelayEstimate fine = estimateSubSampleDelay(
            ea, eb, local.subSampleOffset - static_cast<double>(local.offsetFrames));
        if (!fine.found)
            continue;
        measured.push_back({static_cast<double>(at) + static_cast<double>(excerpt) / 2,
                            static_cast<double>(whole) + fine.delay, fine.variance});
        line = fitOffsetLine(measured);
        previous = at;
        points.push_back(at);
    }
    if (measured.empty())
        return true;
    line = fitOffsetLine(measured);
    const double span = static_cast<double>(last - first);
    estimate.driftPoints = line.points;
    estimate.driftPpm = line.points > 1 ? driftPpmFromSlope(line.slope) : 0.0;
    estimate.driftFitResidualFrames = line.residualRms;
    // A drift counts when it moves B measurably over the overlap and by
    // clearly more than the points' scatter allows.
    estimate.driftSignificant = line.points > 2 &&
                                std::fabs(line.slope) * span > kSmallestDriftFrames &&
                                std::fabs(line.slope) > 4 * line.slopeError;
    if (!estimate.driftSignificant) {
        // A constant offset: the points' weighted mean.
        std::vector<OffsetPoint> level = measured;
        for (OffsetPoint& p : level)
            p.frameOfA = 0;
        line = fitOffsetLine(level);
        line.slope = 0;
    }
    estimate.subSampleOffset = line.intercept;
    estimate.offsetFrames = static_cast<std::int64_t>(std::llround(line.intercept));
    start = appliedStart(line.intercept);
    step = 1.0 + line.slope;
    return true;
}

// Each point's excerpt of B measured through the line smears when the clock
// drifts. Read through the line instead, B should match A with no delay
// left: what remains at each point corrects the line, with no smear.
bool FileComparison::Impl::refineLine(AlignmentEstimate& estimate, std::string& error) {
    if (points.empty() || (step == 1.0 && start == std::round(start)))
        return true;  // whole samples: nothing to refine
    std::vector<OffsetPoint> remaining;
    for (const std::int64_t frame : points) {
        std::vector<std::vector<double>> ea, eb;
        if (!readExcerpt(a, frame, pointFrames, ea, error) ||
            !alignedExcerpt(b, start, step, frame, pointFrames, eb, error))
            return false;
        double ab = 0;
        for (std::size_t c = 0; c < ea.size() && c < eb.size(); ++c)
            for (std::size_t i = 0; i < ea[c].size() && i < eb[c].size(); ++i)
                ab += ea[c][i] * eb[c][i];
        if (ab < 0)
            for (auto& channel : eb)
                for (double& v : channel)
                    v = -v;
        const DelayEstimate left = estimateSubSampleDelay(ea, eb, 0.0);
        if (left.found)
            remaining.push_back({static_cast<double>(frame) + static_cast<double>(pointFrames) / 2,
                                 left.delay, left.variance});
    }
    if (remaining.empty())
        return true;
    if (step == 1.0)
        for (OffsetPoint& p : remaining)
            p.frameOfA = 0;  // a level line stays level
    const OffsetLine correction = fitOffsetLine(remaining);
    const double intercept = start + correction.intercept;
    const double slope = step - 1.0 + (step == 1.0 ? 0.0 : correction.slope);
    start = appliedStart(intercept);
    step = 1.0 + slope;
    estimate.subSampleOffset = intercept;
    estimate.offsetFrames = static_cast<std::int64_t>(std::llround(intercept));
    if (step != 1.0)
        estimate.driftPpm = driftPpmFromSlope(slope);
    return true;
}

// Polarity, gain and correlation of B read where the line puts A's frames,
// over the points' excerpts: never from a misaligned excerpt.
bool FileComparison::Impl::measureGain(AlignmentEstimate& estimate,
                                       const std::vector<std::int64_t>& at, std::string& error) {
    double ab = 0, aa = 0, bb = 0;
    for (const std::int64_t frame : at) {
        std::vector<std::vector<double>> ea, eb;
        if (!readExcerpt(a, frame, pointFrames, ea, error) ||
            !alignedExcerpt(b, start, step, frame, pointFrames, eb, error))
            return false;
        for (std::size_t c = 0; c < ea.size() && c < eb.size(); ++c) {
            const std::size_t n = std::min(ea[c].size(), eb[c].size());
            for (std::size_t i = 0; i < n; ++i) {
                const double x = std::isfinite(ea[c][i]) ? ea[c][i] : 0.0;
                const double y = std::isfinite(eb[c][i]) ? eb[c][i] : 0.0;
                ab += x * y;
                aa += x * x;
                bb += y * y;
            }
        }
    }
    if (!(aa > 0) || !(bb > 0))
        return true;
    const double g = ab / aa;
    estimate.polarity = g < 0 ? -1 : 1;
    estimate.gain = std::fabs(g);
    estimate.gainDb = 20 * std::log10(estimate.gain);
    estimate.correlation = std::min(1.0, std::fabs(ab) / std::sqrt(aa * bb));
    return true;
}

FileComparison::FileComparison() : impl_(std::make_unique<Impl>()) {}
FileComparison::~FileComparison() = default;

bool FileComparison::open(const Input& a, const Input& b, const ComparisonSettings& settings,
                          std::string& error) {
    impl_->settings = settings;
    impl_->inputA = a;
    impl_->inputB = b;
    if (!openSource(a, impl_->a, result_.a, error) || !openSource(b, impl_->b, result_.b, error))
        return false;
    const plux::audio::FileInfo& ia = result_.a.info;
    const plux::audio::FileInfo& ib = result_.b.info;
    if (ia.sampleRate != ib.sampleRate) {
        error = result_.a.path + " is at " + std::to_string(ia.sampleRate) + " Hz but " +
                result_.b.path + " is at " + std::to_string(ib.sampleRate) +
                " Hz: convert one of them first; the null test compares at one rate";
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
    result_.windowFrames =
        ChannelPairMeter(0, ia.sampleRate, settings.windowSeconds).windowFrames();
    result_.searchFrames = static_cast<std::int64_t>(
        std::llround(settings.searchSeconds * static_cast<double>(ia.sampleRate)));
    return true;
}

// The alignment of impl's sources into `result`'s estimate.
bool FileComparison::estimateWith(Impl& impl, ComparisonResult& result, std::string& error) {
    Source& a = impl.a;
    Source& b = impl.b;
    const std::int64_t maxLag = result.searchFrames;
    const std::int64_t first = firstSound(a, error);
    if (first == -2)
        return false;
    try {
        if (first >= 0) {
            // A short stretch of A from its first sound against B over that
            // stretch and the search range either side: short, so that a
            // drifting clock cannot smear the correlation peak.
            const std::int64_t bytesPerFrame =
                static_cast<std::int64_t>(sizeof(double)) * result.channels;
            const std::int64_t frames =
                std::min(kCoarseFrames, kExcerptBytes / bytesPerFrame / 2 - 2 * maxLag);
            std::vector<std::vector<double>> ea, eb;
            if (!readExcerpt(a, first, frames, ea, error) ||
                !readExcerpt(b, first - maxLag, frames + 2 * maxLag, eb, error))
                return false;
            // Both excerpts start at B's first frame read.
            for (auto& channel : ea)
                channel.insert(channel.begin(), static_cast<std::size_t>(maxLag), 0.0);
            result.alignment = estimateAlignment(ea, eb, maxLag);
        }
        AlignmentEstimate& estimate = result.alignment;
        if (estimate.found) {
            if (!impl.measurePoints(estimate, maxLag, error) || !impl.refineLine(estimate, error) ||
                !impl.measureGain(estimate, impl.points, error))
                return false;
        }
    } catch (const std::bad_alloc&) {
        error = "not enough memory for the alignment excerpts";
        return false;
    }
    return true;
}

void FileComparison::estimateDuringRun() {
    impl_->estimateInRun = !impl_->settings.align;
}

bool FileComparison::estimate(std::string& error) {
    if (impl_->estimateInRun)
        return true;
    if (!estimateWith(*impl_, result_, error))
        return false;
    const AlignmentEstimate& estimate = result_.alignment;
    result_.alignmentApplied = impl_->settings.align && estimate.found && estimate.gain > 0.0;
    if (result_.alignmentApplied) {
        result_.appliedOffsetFrames = impl_->start;
        result_.appliedDriftPpm = impl_->step != 1.0 ? driftPpmFromSlope(impl_->step - 1.0) : 0.0;
        result_.edgeFrames =
            (impl_->start != std::round(impl_->start) ? FractionalDelay::kHalfTaps : 0) +
            (impl_->step != 1.0 ? DriftResampler::kSupport : 0);
    }
    Source& a = impl_->a;
    Source& b = impl_->b;
    a.position = b.position = 0;
    return a.reader.seek(0, error) && b.reader.seek(0, error);
}

bool FileComparison::run(const WindowSink& sink, const BlockTap& tap, std::string& error) {
    Source& a = impl_->a;
    Source& b = impl_->b;
    const ComparisonSettings& settings = impl_->settings;
    const int channels = result_.channels;
    const double rate = result_.sampleRate;
    const std::int64_t lengthA = a.reader.info().frames, lengthB = b.reader.info().frames;

    std::unique_ptr<AlignedStream> stream;
    std::int64_t alignedFrames = 0;  // B's aligned frames still to hand over
    std::int64_t firstAligned = 0;   // A's first frame measured aligned
    std::int64_t slack = 0;
    if (result_.alignmentApplied) {
        const AlignmentEstimate& est = result_.alignment;
        const double start = impl_->start, step = impl_->step;
        // A's frames whose B position has full support inside B.
        stream = std::make_unique<AlignedStream>(channels, start, step, 0);
        const auto support = static_cast<double>(stream->support());
        const std::int64_t m0 = std::max<std::int64_t>(
            0, static_cast<std::int64_t>(std::ceil((support - start) / step)));
        const std::int64_t m1 = std::min<std::int64_t>(
            lengthA, static_cast<std::int64_t>(
                         std::floor((static_cast<double>(lengthB - 1) - support - start) / step)) +
                         1);
        alignedFrames = std::max<std::int64_t>(0, m1 - m0);
        result_.edgeFrames = stream->support();
        stream = std::make_unique<AlignedStream>(channels, start + static_cast<double>(m0) * step,
                                                 step, 0);
        firstAligned = m0;
        // The aligned stream runs behind B by the offset and the filters'
        // settling, and drifts from it by the clock difference over B.
        slack = std::llabs(est.offsetFrames) + m0 + 2 * stream->support() +
                2 * DriftResampler::kSupport +
                static_cast<std::int64_t>(
                    std::ceil(std::fabs(1.0 / step - 1.0) * static_cast<double>(lengthB)));
    }
    // A resampled B keeps its decoding thread busy aligning it; measuring on
    // the one thread left then beats sharing the cores with helpers.
    const bool resamplesB = stream && !stream->exact();
    const int helpers = settings.parallel && !resamplesB ? measurementHelpers(channels) : 0;
    Measurement plain(channels, rate, settings.windowSeconds, 0, 0, 1.0, helpers);
    std::unique_ptr<Measurement> aligned;
    if (stream) {
        const AlignmentEstimate& est = result_.alignment;
        aligned = std::make_unique<Measurement>(channels, rate, settings.windowSeconds,
                                                firstAligned, 0, est.polarity / est.gain, helpers);
    }
    // Without --align the plain pass needs nothing of the estimate, which is
    // then made beside it, from readers of its own.
    std::unique_ptr<Impl> side;
    ComparisonResult sideResult;
    std::string sideError;
    std::future<bool> beside;  // waits for the estimate when left early
    if (impl_->estimateInRun) {
        side = std::make_unique<Impl>();
        side->settings = settings;
        SourceInfo ignored;
        sideResult.channels = result_.channels;
        sideResult.searchFrames = result_.searchFrames;
        if (!openSource(impl_->inputA, side->a, ignored, error) ||
            !openSource(impl_->inputB, side->b, ignored, error))
            return false;
        // On a thread of its own, or at the end if none can be started.
        beside = std::async(std::launch::async | std::launch::deferred,
                            [&] { return estimateWith(*side, sideResult, sideError); });
    }
    if (!plain.ok() || (aligned && !aligned->ok()) || (stream && !stream->ok())) {
        error =
            stream && !stream->ok() ? stream->error() : "the null-test meter could not be set up";
        return false;
    }
    result_.windowFrames = plain.windowFrames();
    Measurement& final = aligned ? *aligned : plain;
    final.setTap(tap);

    // Both files decode ahead on threads of their own while this one
    // measures; B's thread aligns it too, the costliest step of an aligned
    // run, so that it overlaps the measurements.
    ReadAhead::Stage alignB;
    if (stream) {
        std::shared_ptr<AlignedStream> owned = std::move(stream);
        alignB = [owned](const double* frames, std::int64_t count, std::vector<double>& out,
                         std::string& failure) {
            if (count > 0)
                owned->push(frames, count, out);
            else
                owned->finish(out);
            if (!owned->ok())
                failure = owned->error();
            return owned->ok();
        };
    }
    // The threads stop before anything they use is gone, on every return.
    struct StopAhead {
        Source &a, &b;
        ~StopAhead() {
            a.ahead.reset();
            b.ahead.reset();
        }
    } stopAhead{a, b};
    if (settings.decodeAhead) {
        a.ahead = std::make_unique<ReadAhead>(a.reader, kAheadFrames, a.channels);
        b.ahead = std::make_unique<ReadAhead>(b.reader, kAheadFrames, b.channels, alignB);
    }
    bool alignedEnded = !aligned || alignedFrames == 0;
    const auto handOver = [&](const std::vector<double>& produced) {
        const std::int64_t n = std::min<std::int64_t>(
            alignedFrames, static_cast<std::int64_t>(produced.size()) / channels);
        aligned->queueB().push(produced.data(), n);
        alignedFrames -= n;
        if (alignedFrames == 0)
            alignedEnded = true;
    };
    const std::int64_t queueLimit = slack + 2 * kAheadFrames;
    const auto finishedWith = [&](Measurement& m, bool bEnded) {
        return (a.ended && m.queueA().size() == 0) || (bEnded && m.queueB().size() == 0);
    };
    const auto plainDone = [&] { return finishedWith(plain, b.ended); };
    const auto alignedDone = [&] { return !aligned || finishedWith(*aligned, alignedEnded); };
    for (;;) {
        bool progressed = false;
        // A: unless a measurement still in need of B holds plenty of A.
        const bool aWaits = (!plainDone() && plain.queueA().size() >= queueLimit) ||
                            (!alignedDone() && aligned->queueA().size() >= queueLimit);
        if (!a.ended && !aWaits) {
            const std::int64_t n = a.read(kReadFrames, error);
            if (n < 0)
                return false;
            if (n == 0)
                a.ended = true;
            if (aligned)
                aligned->queueA().push(a.selected.data(), n);
            plain.queueA().take(a.selected, n);
            progressed = true;
        }
        const bool bWaits = (!plainDone() && plain.queueB().size() >= queueLimit) ||
                            (!alignedDone() && aligned->queueB().size() >= queueLimit);
        if (!b.ended && !bWaits) {
            const std::int64_t n = b.read(kReadFrames, error);
            if (n < 0)
                return false;
            // Without a decoding thread B is aligned here.
            if (!b.ahead && alignB && !alignedEnded) {
                b.derived.clear();
                if (!alignB(b.selected.data(), n, b.derived, error))
                    return false;
            }
            if (aligned && !alignedEnded)
                handOver(b.derived);
            if (n == 0) {
                b.ended = true;
                alignedEnded = true;
            } else {
                plain.queueB().take(b.selected, n);
            }
            progressed = true;
        }
        plain.consume(aligned ? WindowSink() : sink);
        if (aligned)
            aligned->consume(sink);
        if ((plainDone() && alignedDone()) || !progressed)
            break;
    }
    a.ahead.reset();
    b.ahead.reset();
    plain.finish(aligned ? WindowSink() : sink);
    if (aligned)
        aligned->finish(sink);
    if (beside.valid()) {
        if (!beside.get()) {
            error = sideError;
            return false;
        }
        result_.alignment = sideResult.alignment;
    }
    result_.plain = plain.summary();
    if (aligned) {
        result_.aligned = aligned->summary();
        // B's frame that A's first compared frame falls on.
        result_.aligned->offsetB = static_cast<std::int64_t>(std::floor(
            impl_->start + static_cast<double>(result_.aligned->offsetA) * impl_->step + 1e-9));
    }
    return true;
}

}  // namespace nullmeter
