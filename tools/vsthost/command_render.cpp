#include "tools/vsthost/commands.h"

#include "effects/nulltest/channel_levels.h"
#include "tools/common/audio_file.h"
#include "tools/common/staged_file.h"
#include "tools/vsthost/file_bytes.h"
#include "tools/vsthost/output_format.h"
#include "tools/vsthost/render_engine.h"
#include "tools/vsthost/signal_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace plux::vsthost {
namespace {

constexpr unsigned kDefaultRate = 48000;
constexpr double kDefaultSeconds = 1.0;

std::size_t framesFor(double seconds, int rate) {
    return static_cast<std::size_t>(std::llround(seconds * rate));
}

// --in: the file, at --rate if given, cut or padded with silence to --seconds.
bool readInput(const RenderOptions& o, audio::Audio& input, std::string& error) {
    if (!audio::readFile(std::filesystem::u8path(o.inPath), input, error))
        return false;
    if (input.channels.empty()) {
        error = o.inPath + " has no channels";
        return false;
    }
    if (o.rate)
        input.sampleRate = static_cast<int>(*o.rate);
    if (o.seconds) {
        const std::size_t frames = framesFor(*o.seconds, input.sampleRate);
        for (auto& channel : input.channels)
            channel.resize(frames, 0.0);
    }
    return true;
}

void printLevels(const audio::Audio& output, std::ostream& out) {
    for (std::size_t c = 0; c < output.channels.size(); ++c) {
        const auto& channel = output.channels[c];
        const nulltest::ChannelLevels levels = nulltest::channelLevels(channel.data(), channel.size());
        char peak[32];
        std::snprintf(peak, sizeof peak, "%.6f", levels.peak);
        out << "out " << c << ": peak " << peak << " (" << nulltest::formatLevelDb(levels.peak)
            << " dBFS), rms " << nulltest::formatLevelDb(levels.rms) << " dBFS\n";
    }
}

}  // namespace

int runRender(PluginEntry entry, const RenderOptions& o, std::ostream& out, std::ostream& err) {
    std::string error;
    // Files first, so a typo fails before the plug-in is loaded.
    audio::Encoding encoding{};
    audio::Container container{};
    if (!renderOutputFormat(o, encoding, container, error))
        return reportFailure(err, error);
    audio::Audio input;
    if (!o.inPath.empty() && !readInput(o, input, error))
        return reportFailure(err, error);
    std::vector<std::uint8_t> chunkIn;
    if (!o.loadChunk.empty() && !readBytes(o.loadChunk, chunkIn, error)) {
        return reportFailure(err, error);
    }

    HostContext host;
    PluginSession session;
    if (!session.open(entry, error))
        return reportFailure(err, error);
    const VstInt32 numInputs = session.effect()->numInputs;  // the record dies with effClose
    if (o.signal) {
        const unsigned rate = o.rate.value_or(kDefaultRate);
        const std::size_t channels = static_cast<std::size_t>(std::max(numInputs, 1));
        input = generateSignal(*o.signal, rate, channels,
                               framesFor(o.seconds.value_or(kDefaultSeconds), rate));
    }
    session.configure(host, input.sampleRate, o.blockSize);
    if (!session.setPrecision(o.doublePrecision, error))
        return reportFailure(err, error);
    session.resume();
    if (!o.loadChunk.empty() && !session.setChunk(chunkIn, error)) {
        return reportFailure(err, error);
    }
    for (const ParamSetting& p : o.params) {
        if (!session.setParameter(p.index, p.value, error))
            return reportFailure(err, error);
    }

    audio::Audio output;
    RenderSettings settings;
    settings.blockSize = o.blockSize;
    settings.doublePrecision = o.doublePrecision;
    if (!render(session, host, input, settings, output, error))
        return reportFailure(err, error);

    std::vector<std::uint8_t> chunkOut;
    if (!o.saveChunk.empty() && !session.getChunk(chunkOut, error)) {
        return reportFailure(err, error);
    }
    session.close();

    // Both outputs are complete before either is renamed into place, so a
    // failed run leaves neither behind.
    audio::Writer outFile;
    if (!audio::stageFile(std::filesystem::u8path(o.outPath), output, encoding, container, outFile,
                          error))
        return reportFailure(err, error);
    files::StagedFile chunkFile;
    if (!o.saveChunk.empty() && (!chunkFile.begin(std::filesystem::u8path(o.saveChunk), error) ||
                                 !chunkFile.writeAll(chunkOut.data(), chunkOut.size(), error)))
        return reportFailure(err, error);
    if (!outFile.commit(error) || (!o.saveChunk.empty() && !chunkFile.commit(error)))
        return reportFailure(err, error);
    out << "rendered " << output.frameCount() << " frames at " << output.sampleRate << " Hz, "
        << numInputs << " in / " << output.channels.size() << " out, block " << o.blockSize << ", "
        << (o.doublePrecision ? 64 : 32) << "-bit\n";
    printLevels(output, out);
    return kExitOk;
}

}  // namespace plux::vsthost
