#include "tools/nullmeter/plugin_render.h"

#include <algorithm>
#include <vector>

#include "tools/common/audio_file.h"
#include "tools/vsthost/host_callback.h"
#include "tools/vsthost/plugin_loader.h"
#include "tools/vsthost/plugin_session.h"
#include "tools/vsthost/render_engine.h"

namespace nullmeter {

namespace {

using namespace plux::vsthost;

// Latency and tail beyond this are not believed: a plug-in reporting more
// would have the host render for ever.
constexpr std::int64_t kLongestSeconds = 10;
constexpr std::int64_t kCopyFrames = 4096;

// W64 has no 4 GB limit, and the files live only for the run.
constexpr plux::audio::Container kContainer = plux::audio::Container::W64;

std::string count(int n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

std::string pluginName(const PluginSession& session, const std::filesystem::path& path) {
    std::string name = session.text(effGetEffectName);
    if (name.empty())
        name = session.text(effGetProductString);
    return name.empty() ? path.filename().string() : name;
}

// The plug-in, hosted from effOpen to effClose. Members go in reverse
// order: the session closes while its host still answers and before the
// shared object is unloaded.
class HostedPlugin {
  public:
    bool open(const PluginRenderSettings& s, int rate, PluginRender& result, std::string& error) {
        const std::string where = s.plugin.string();
        if (!library_.load(where, error))
            return false;
        host_.acceptIoChanges(true);
        if (!session_.open(library_.entry(), error)) {
            error = where + ": " + error;
            return false;
        }
        AEffect* e = session_.effect();
        result.inputs = e->numInputs;
        result.outputs = e->numOutputs;
        if (e->numOutputs != s.outputsWanted) {
            error = where + " has " + count(e->numOutputs, "output") + " but " + s.outputsWantedBy +
                    " has " + count(s.outputsWanted, "channel") +
                    "; they are compared channel by channel";
            return false;
        }
        session_.configure(host_, rate, s.blocks.largest());
        if (!session_.setPrecision(s.doublePrecision, error)) {
            error =
                where + ": " + error + " (--precision " + (s.doublePrecision ? "64" : "32") + ")";
            return false;
        }
        session_.resume();
        result.name = pluginName(session_, s.plugin);
        ioChanges_ = host_.ioChanges();
        if (!readLatency(rate, result, error))
            return false;
        const VstIntPtr tail = session_.dispatch(effGetTailSize);
        result.tailFrames = std::clamp<std::int64_t>(tail, 0, kLongestSeconds * rate);
        if (!renderer_.begin(session_, host_, s.doublePrecision, s.blocks.largest(), error)) {
            error = where + ": " + error;
            return false;
        }
        return true;
    }

    // One process call; the reported latency is read again when the plug-in
    // said during it that it changed.
    bool process(const ConstSamples& in, const Samples& out, int frames, int rate,
                 PluginRender& result, std::string& error) {
        renderer_.process(in, out, frames);
        if (host_.ioChanges() == ioChanges_)
            return true;
        ioChanges_ = host_.ioChanges();
        return readLatency(rate, result, error);
    }

    void close() {
        renderer_.end();
        session_.close();
    }

  private:
    bool readLatency(int rate, PluginRender& result, std::string& error) {
        const VstInt32 latency = session_.effect()->initialDelay;
        if (latency < 0 || latency > kLongestSeconds * rate) {
            error = "the plug-in reports a latency of " + std::to_string(latency) +
                    " frames; 0 to " + std::to_string(kLongestSeconds) + " s is believed";
            return false;
        }
        result.reportedLatency = latency;
        return true;
    }

    PluginLibrary library_;
    HostContext host_;
    PluginSession session_;
    BlockRenderer renderer_;
    int ioChanges_ = 0;
};

// The input, then the zeros of the latency and the tail, into `raw`.
bool renderAll(const std::filesystem::path& input, plux::audio::Reader& reader,
               const PluginRenderSettings& s, HostedPlugin& plugin,
               const std::filesystem::path& raw, PluginRender& result, std::string& error) {
    const plux::audio::FileInfo& info = reader.info();
    const auto width = static_cast<std::size_t>(info.channels);
    const auto outputs = static_cast<std::size_t>(result.outputs);
    plux::audio::Writer writer;
    if (!writer.open(raw, result.outputs, result.sampleRate,
                     s.doublePrecision ? plux::audio::Encoding::Float64
                                       : plux::audio::Encoding::Float32,
                     kContainer, error))
        return false;
    const auto largest = static_cast<std::size_t>(s.blocks.largest());
    std::vector<double> in(largest * width), out(largest * outputs);
    std::vector<const double*> inChannels(width);
    std::vector<double*> outChannels(outputs);
    for (std::size_t c = 0; c < width; ++c)
        inChannels[c] = in.data() + c;
    for (std::size_t c = 0; c < outputs; ++c)
        outChannels[c] = out.data() + c;
    const Samples into{outChannels.data(), outputs, outputs};
    BlockSizes blocks = s.blocks;
    std::int64_t read = 0, zeros = 0;
    while (true) {
        const int wanted = blocks.next();
        int frames = 0;
        ConstSamples from{inChannels.data(), width, width};
        if (read < info.frames) {
            const std::int64_t n = reader.read(in.data(), wanted, error);
            if (n < 0)
                return false;
            if (n == 0) {
                error = input.string() + ": ends after " + std::to_string(read) + " of the " +
                        std::to_string(info.frames) +
                        " frames its header announces (truncated or damaged)";
                return false;
            }
            read += n;
            frames = static_cast<int>(n);
        } else {
            // Past the end: silence until the latency and the tail are out,
            // both as the plug-in reports them now.
            const std::int64_t left = result.reportedLatency + result.tailFrames - zeros;
            if (left <= 0)
                break;
            frames = static_cast<int>(std::min<std::int64_t>(wanted, left));
            from.count = 0;
            zeros += frames;
        }
        if (!plugin.process(from, into, frames, result.sampleRate, result, error) ||
            !writer.write(out.data(), frames, error))
            return false;
        result.renderedFrames += frames;
    }
    return writer.commit(error);
}

// `raw` without its first `skip` frames.
bool compensate(const std::filesystem::path& raw, std::int64_t skip,
                const std::filesystem::path& compensated, bool doublePrecision,
                std::string& error) {
    plux::audio::Reader reader;
    if (!reader.open(raw, error) || !reader.seek(skip, error))
        return false;
    const plux::audio::FileInfo& info = reader.info();
    plux::audio::Writer writer;
    if (!writer.open(compensated, info.channels, info.sampleRate,
                     doublePrecision ? plux::audio::Encoding::Float64
                                     : plux::audio::Encoding::Float32,
                     kContainer, error))
        return false;
    std::vector<double> buffer(static_cast<std::size_t>(kCopyFrames * info.channels));
    std::int64_t n;
    while ((n = reader.read(buffer.data(), kCopyFrames, error)) > 0) {
        if (!writer.write(buffer.data(), n, error))
            return false;
    }
    return n == 0 && writer.commit(error);
}

}  // namespace

bool renderThroughPlugin(const std::filesystem::path& input, const PluginRenderSettings& settings,
                         const std::filesystem::path& raw, const std::filesystem::path& compensated,
                         PluginRender& result, std::string& error) {
    result = PluginRender{};
    plux::audio::Reader reader;
    if (!reader.open(input, error))
        return false;
    const plux::audio::FileInfo& info = reader.info();
    if (info.frames == 0) {
        error = input.string() + ": holds no audio frames";
        return false;
    }
    if (settings.rate != 0 && settings.rate != info.sampleRate) {
        error = "--rate " + std::to_string(settings.rate) + ": " + input.string() + " is at " +
                std::to_string(info.sampleRate) + " Hz, and nothing is resampled";
        return false;
    }
    result.sampleRate = info.sampleRate;
    result.inputFrames = info.frames;
    HostedPlugin plugin;
    if (!plugin.open(settings, info.sampleRate, result, error))
        return false;
    if (!renderAll(input, reader, settings, plugin, raw, result, error))
        return false;
    plugin.close();
    return compensate(raw, result.reportedLatency, compensated, settings.doublePrecision, error);
}

}  // namespace nullmeter
