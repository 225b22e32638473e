#include "tools/nullmeter/json_writer.h"
#include "tools/nullmeter/report.h"

namespace nullmeter {

namespace {

double seconds(std::int64_t frame, int rate) {
    return rate > 0 ? static_cast<double>(frame) / rate : 0.0;
}

void source(JsonWriter& j, const char* key, const SourceInfo& s) {
    j.beginObject(key);
    j.field("path", s.path);
    j.field("format", s.info.format);
    j.field("channels", s.info.channels);
    j.field("sample_rate", s.info.sampleRate);
    j.field("frames", s.info.frames);
    j.beginArray("compared_channels");
    for (int c : s.channels)
        j.field(nullptr, c + 1);
    j.endArray();
    j.endObject();
}

void reading(JsonWriter& j, const char* key, const Reading& r) {
    j.beginObject(key);
    j.field("rms_db", r.rmsDb);
    j.field("rms_bits", r.rmsBits);
    j.field("peak_db", r.peakDb);
    j.field("peak_bits", r.peakBits);
    j.endObject();
}

void readings(JsonWriter& j, const Reading& l, const Reading& r, const Reading& m,
              const Reading& s) {
    reading(j, "left", l);
    reading(j, "right", r);
    reading(j, "mid", m);
    reading(j, "side", s);
}

void frameAt(JsonWriter& j, const char* key, std::int64_t compared, std::int64_t offsetA,
             int rate) {
    if (compared < 0) {
        j.null(key);
        return;
    }
    j.beginObject(key);
    j.field("frame", compared + offsetA);
    j.field("seconds", seconds(compared + offsetA, rate));
    j.endObject();
}

void pick(JsonWriter& j, const char* key, const WindowPick& p, const ChannelSummary& s) {
    if (s.windows == 0) {
        j.null(key);
        return;
    }
    j.beginObject(key);
    j.field("index", p.index);
    j.field("start_frame", p.startFrame);
    j.field("frames", p.frames);
    j.field("partial", p.partial);
    j.field("side_rms_db", p.sideRmsDb);
    j.endObject();
}

void bands(JsonWriter& j, const std::vector<BandReading>& readings) {
    j.beginArray("bands");
    for (const BandReading& b : readings) {
        j.beginObject();
        j.field("low_hz", b.lowHz);
        j.field("high_hz", b.highHz);
        j.field("centre_hz", b.centreHz);
        j.field("a_db", b.aDb);
        j.field("residual_db", b.residualDb);
        j.field("gain_db", b.gainDb);
        j.field("phase_deg", b.phaseDeg);
        j.endObject();
    }
    j.endArray();
}

// `perChannel`, the band readings, only for the final measurement.
void summary(JsonWriter& j, const char* key, const MeasurementSummary& m, int rate,
             const std::vector<std::vector<BandReading>>* perChannel = nullptr) {
    j.beginObject(key);
    j.field("a_start_frame", m.offsetA);
    j.field("b_start_frame", m.offsetB);
    j.field("b_factor", m.factorB);
    j.field("compared_frames", m.comparedFrames);
    j.field("differing_samples", m.differing());
    j.field("non_finite_samples", m.nonFinite());
    j.field("side_peak_db", m.sidePeakDb());
    j.field("null_depth_bits", m.nullDepthBits());
    j.beginArray("channels");
    for (std::size_t c = 0; c < m.channels.size(); ++c) {
        const ChannelSummary& s = m.channels[c];
        j.beginObject();
        j.field("channel", static_cast<int>(c) + 1);
        readings(j, s.left, s.right, s.mid, s.side);
        j.field("windows", s.windows);
        j.field("last_window_partial", s.lastWindowPartial);
        j.field("differing_samples", s.differing);
        frameAt(j, "first_difference", s.firstDifference, m.offsetA, rate);
        frameAt(j, "last_difference", s.lastDifference, m.offsetA, rate);
        j.field("largest_difference", s.largestDifference);
        j.field("non_finite_a", s.nonFiniteA);
        j.field("non_finite_b", s.nonFiniteB);
        pick(j, "deepest_window", s.deepest, s);
        pick(j, "shallowest_window", s.shallowest, s);
        if (perChannel)
            bands(j, c < perChannel->size() ? (*perChannel)[c] : std::vector<BandReading>());
        j.endObject();
    }
    j.endArray();
    j.endObject();
}

void plugin(JsonWriter& j, const PluginReport& p) {
    j.beginObject("plugin");
    j.field("path", p.path);
    j.field("name", p.name);
    j.field("inputs", p.inputs);
    j.field("outputs", p.outputs);
    if (p.randomBlocks) {
        j.field("block_size", "random");
        j.field("block_size_largest", p.blockSize);
        j.field("block_seed", static_cast<std::int64_t>(p.blockSeed));
    } else {
        j.field("block_size", p.blockSize);
    }
    j.field("precision", p.precision);
    j.field("tail_frames", p.tailFrames);
    j.field("reported_latency_frames", p.reportedLatency);
    if (p.measuredLatency)
        j.field("measured_latency_frames", *p.measuredLatency);
    else
        j.null("measured_latency_frames");
    if (p.latencyMatches())
        j.field("latency_matches", *p.latencyMatches());
    else
        j.null("latency_matches");
    j.field("latency_text", latencyText(p));
    j.endObject();
}

const char* ruleName(const Verdict& v) {
    return v.pass ? "pass" : "fail";
}

class JsonReport final : public Report {
  public:
    JsonReport(std::FILE* out, bool windows) : json_(out), windows_(windows) {}

    void begin(const ComparisonResult& r) override {
        json_.beginObject();
        json_.field("tool", "nullmeter");
        json_.field("format_version", 1);
        source(json_, "a", r.a);
        SourceInfo b = r.b;
        if (plugin_)
            b.path = outputLabel(*plugin_);
        source(json_, "b", b);
        json_.field("sample_rate", r.sampleRate);
        json_.field("window_seconds", r.windowSeconds);
        json_.field("window_frames", r.windowFrames);
        json_.field("length_difference_frames", r.b.info.frames - r.a.info.frames);
        const AlignmentEstimate& e = r.alignment;
        json_.beginObject("alignment");
        json_.field("search_frames", r.searchFrames);
        json_.field("found", e.found);
        json_.field("offset_frames", e.offsetFrames);
        json_.field("offset_subsample", e.subSampleOffset);
        json_.field("polarity", e.polarity);
        json_.field("gain_db", e.gainDb);
        json_.field("correlation", e.correlation);
        json_.field("drift_ppm", e.driftPpm);
        json_.field("drift_points", e.driftPoints);
        json_.field("drift_fit_residual_frames", e.driftFitResidualFrames);
        json_.field("drift_significant", e.driftSignificant);
        json_.field("applied", r.alignmentApplied);
        json_.field("applied_offset_frames", r.appliedOffsetFrames);
        json_.field("applied_drift_ppm", r.appliedDriftPpm);
        json_.field("edge_frames_excluded", r.edgeFrames);
        json_.endObject();
        if (windows_)
            json_.beginArray("windows");
    }

    void window(const ComparisonResult& r, const WindowResult& w) override {
        if (!windows_)
            return;
        const std::int64_t start = w.startFrame + r.final().offsetA;
        json_.beginObject();
        json_.field("channel", w.channel + 1);
        json_.field("index", w.index);
        json_.field("start_frame", start);
        json_.field("frames", w.frames);
        json_.field("start_seconds", seconds(start, r.sampleRate));
        json_.field("end_seconds", seconds(start + w.frames, r.sampleRate));
        json_.field("partial", w.partial);
        readings(json_, w.left, w.right, w.mid, w.side);
        json_.endObject();
    }

    void end(const ComparisonResult& r, const Verdict& verdict) override {
        if (windows_)
            json_.endArray();
        if (r.aligned)
            summary(json_, "before_alignment", r.plain, r.sampleRate);
        summary(json_, "summary", r.final(), r.sampleRate, &r.bands);
        json_.beginArray("diagnosis");
        for (const std::string& line : r.diagnosis)
            json_.field(nullptr, line);
        json_.endArray();
        if (plugin_)
            plugin(json_, *plugin_);
        json_.beginObject("verdict");
        json_.field("result", ruleName(verdict));
        json_.field("pass", verdict.pass);
        json_.field("exit_code", verdict.pass ? 0 : 1);
        json_.field("criterion", verdict.criterion);
        if (verdict.criterion != "identical")
            json_.field("threshold", verdict.threshold);
        json_.field("text", verdict.text);
        json_.endObject();
        json_.endObject();
        json_.finish();
    }

  private:
    JsonWriter json_;
    bool windows_;
};

}  // namespace

std::unique_ptr<Report> makeJsonReport(std::FILE* out, bool windows) {
    return std::make_unique<JsonReport>(out, windows);
}

}  // namespace nullmeter
