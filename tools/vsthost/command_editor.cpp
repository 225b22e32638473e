#include "tools/vsthost/commands.h"

#include "tools/common/audio_file.h"
#include "tools/vsthost/block_player.h"
#include "tools/vsthost/editor_platform.h"
#include "tools/vsthost/signal_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace plux::vsthost {
namespace {

constexpr unsigned kDefaultRate = 48000;
// Hosts idle their editors every 10 to 50 ms; 15 ms keeps a 30 Hz display smooth.
constexpr double kIdleIntervalMs = 15.0;
// A nanosecond: times this close count as reached, so rounding in the clock
// arithmetic cannot leave the loop waiting for a moment it never reaches.
constexpr double kSlackMs = 1e-6;

struct EditorSize {
    int width = 0;
    int height = 0;
};

bool editorSize(const PluginSession& session, EditorSize& size, std::string& error) {
    ERect* rect = nullptr;
    if (session.dispatch(effEditGetRect, 0, 0, &rect) == 0 || !rect) {
        error = "the plug-in has no editor (effEditGetRect answered 0)";
        return false;
    }
    size.width = rect->right - rect->left;
    size.height = rect->bottom - rect->top;
    if (size.width <= 0 || size.height <= 0) {
        error = "the plug-in's editor rectangle is empty (" + std::to_string(size.width) + " x " +
                std::to_string(size.height) + ")";
        return false;
    }
    return true;
}

// Silence loops from a single block; a test signal covers the whole run, so
// it never jumps where a loop would restart it.
audio::Audio signalSource(const EditorOptions& o, unsigned rate, std::size_t channels) {
    const TestSignal signal = o.signal.value_or(TestSignal{});
    const auto block = static_cast<std::size_t>(o.blockSize);
    std::size_t frames = block;
    if (signal.kind != TestSignal::Kind::Silence) {
        const auto blocks = static_cast<std::size_t>(std::ceil(o.seconds * rate / block));
        frames = (blocks + 1) * block;
    }
    return generateSignal(signal, rate, channels, frames);
}

// Effects shut in reverse order of opening, on every way out of the command.
class OpenEditor {
  public:
    OpenEditor(PluginSession& session, EditorPlatform& platform)
        : session_(session), platform_(platform) {}
    ~OpenEditor() { close(); }
    OpenEditor(const OpenEditor&) = delete;
    OpenEditor& operator=(const OpenEditor&) = delete;

    bool open(const EditorSize& size, std::string& error) {
        void* window = platform_.openWindow(size.width, size.height, error);
        if (!window)
            return false;
        windowOpen_ = true;
        if (session_.dispatch(effEditOpen, 0, 0, window) == 0) {
            error = "effEditOpen failed (the plug-in answered 0)";
            return false;
        }
        editorOpen_ = true;
        return true;
    }

    void close() {
        if (editorOpen_)
            session_.dispatch(effEditClose);
        editorOpen_ = false;
        if (windowOpen_)
            platform_.closeWindow();
        windowOpen_ = false;
    }

  private:
    PluginSession& session_;
    EditorPlatform& platform_;
    bool windowOpen_ = false;
    bool editorOpen_ = false;
};

// Wall-clock loop of a host's user-interface thread that also plays audio:
// every block is processed once its start time has come, so the plug-in sees
// real-time audio, and the editor is idled every kIdleIntervalMs.
std::uint64_t runRealTime(const PluginSession& session, BlockPlayer& player,
                          EditorPlatform& platform, double seconds, unsigned rate, int blockSize) {
    const double start = platform.milliseconds();
    const double endMs = seconds * 1000.0;
    const double blockMs = 1000.0 * blockSize / rate;
    std::uint64_t blocks = 0;
    std::uint64_t idles = 0;
    double nextIdle = 0.0;
    for (;;) {
        const double elapsed = platform.milliseconds() - start + kSlackMs;
        if (elapsed >= endMs) {
            // A late wake-up near the end must not cost the last blocks: the
            // run always plays every block that starts within its duration.
            for (; static_cast<double>(blocks) * blockMs < endMs; ++blocks)
                player.playBlock();
            break;
        }
        while (static_cast<double>(blocks) * blockMs <= elapsed) {
            player.playBlock();
            ++blocks;
        }
        if (elapsed >= nextIdle) {
            session.dispatch(effEditIdle);
            ++idles;
            nextIdle += kIdleIntervalMs;
            if (nextIdle <= elapsed)  // fell behind: no burst of idles
                nextIdle = elapsed + kIdleIntervalMs;
        }
        platform.pumpMessages();
        const double next = std::min({static_cast<double>(blocks) * blockMs, nextIdle, endMs});
        const double wait = next - (platform.milliseconds() - start);
        if (wait > kSlackMs)
            platform.sleep(wait);
    }
    return idles;
}

}  // namespace

int runEditor(PluginEntry entry, const EditorOptions& o, EditorPlatform& platform,
              std::ostream& out, std::ostream& err) {
    std::string error;
    // The file first, so a typo fails before the plug-in is loaded.
    audio::Audio source;
    if (!o.inPath.empty()) {
        if (!audio::readFile(std::filesystem::u8path(o.inPath), source, error))
            return reportFailure(err, error);
        if (source.channels.empty() || source.frameCount() == 0)
            return reportFailure(err, o.inPath + " holds no audio to loop");
        if (o.rate)
            source.sampleRate = static_cast<int>(*o.rate);
    }

    HostContext host;
    PluginSession session;
    if (!session.open(entry, error))
        return reportFailure(err, error);
    if ((session.effect()->flags & effFlagsHasEditor) == 0)
        return reportFailure(err, "the plug-in has no editor (effFlagsHasEditor is not set)");
    if (!session.effect()->processReplacing)
        return reportFailure(err, "the plug-in does not offer processReplacing");
    if (o.inPath.empty()) {
        const auto channels = static_cast<std::size_t>(std::max(session.effect()->numInputs, 1));
        source = signalSource(o, o.rate.value_or(kDefaultRate), channels);
    }
    const auto rate = static_cast<unsigned>(source.sampleRate);
    session.configure(host, rate, o.blockSize);
    session.resume();

    EditorSize size;
    if (!editorSize(session, size, error))
        return reportFailure(err, error);
    out << "editor: " << size.width << " x " << size.height << '\n';

    OpenEditor editor(session, platform);
    if (!editor.open(size, error))
        return reportFailure(err, error);
    std::uint64_t idles = 0;
    std::uint64_t frames = 0;
    {
        BlockPlayer player(session.effect(), host, std::move(source), o.blockSize);
        idles = runRealTime(session, player, platform, o.seconds, rate, o.blockSize);
        frames = player.framesPlayed();
    }
    int width = 0;
    int height = 0;
    const bool saved = platform.saveEditorImage(o.outPath, width, height, error);
    editor.close();
    session.close();
    if (!saved)
        return reportFailure(err, error);

    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", o.seconds);
    out << "played " << frames << " frames at " << rate << " Hz in blocks of " << o.blockSize
        << ", " << idles << " editor idles in " << seconds << " s\n"
        << "saved " << width << " x " << height << " pixels to " << o.outPath << '\n';
    return kExitOk;
}

}  // namespace plux::vsthost
