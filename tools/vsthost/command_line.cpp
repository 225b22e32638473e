#include "tools/vsthost/command_line.h"
#include "tools/vsthost/output_format.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace plux::vsthost {
namespace {

constexpr double kMaxRenderSeconds = 3600.0;
// The editor's audio lives in memory for the whole run.
constexpr double kMaxEditorSeconds = 60.0;

bool parseDouble(const std::string& text, double& out) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

bool parseInt(const std::string& text, long min, long max, long& out) {
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size() || v < min || v > max)
        return false;
    out = v;
    return true;
}

std::vector<std::string> splitColons(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon - start));
        if (colon == std::string::npos)
            return parts;
        start = colon + 1;
    }
}

bool parseParam(const std::string& text, ParamSetting& out, std::string& error) {
    const std::size_t eq = text.find('=');
    long index = 0;
    double value = 0.0;
    if (eq == std::string::npos || !parseInt(text.substr(0, eq), 0, 1L << 30, index) ||
        !parseDouble(text.substr(eq + 1), value)) {
        error = "--param expects INDEX=VALUE, got '" + text + "'";
        return false;
    }
    if (value < 0.0 || value > 1.0) {
        error = "--param value " + text.substr(eq + 1) + " is outside 0..1";
        return false;
    }
    out.index = static_cast<int>(index);
    out.value = static_cast<float>(value);
    return true;
}

// Walks "--name value", "--name=value" and positional arguments.
class ArgCursor {
  public:
    explicit ArgCursor(const std::vector<std::string>& args) : args_(args) {}

    bool done() const { return next_ >= args_.size(); }

    // Splits the next argument into an option name (empty for a positional
    // argument) and, for "--name=value", an inline value.
    void take(std::string& name, std::string& positional) {
        const std::string& arg = args_[next_++];
        inline_.reset();
        name.clear();
        positional.clear();
        if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            const std::size_t eq = arg.find('=');
            name = arg.substr(0, eq);
            if (eq != std::string::npos)
                inline_ = arg.substr(eq + 1);
        } else if (arg == "-h") {
            name = "--help";
        } else {
            positional = arg;
        }
    }

    bool value(const std::string& name, std::string& out, std::string& error) {
        if (inline_) {
            out = *inline_;
            inline_.reset();
            return true;
        }
        if (done()) {
            error = name + " needs a value";
            return false;
        }
        out = args_[next_++];
        return true;
    }

  private:
    const std::vector<std::string>& args_;
    std::size_t next_ = 0;
    std::optional<std::string> inline_;
};

bool setPlugin(std::string& plugin, const std::string& positional, std::string& error) {
    if (!plugin.empty()) {
        error =
            "unexpected argument '" + positional + "' (the plug-in is already '" + plugin + "')";
        return false;
    }
    plugin = positional;
    return true;
}

// Values that render and editor share.
bool parseSeconds(const std::string& v, double max, double& out, std::string& error) {
    double s = 0.0;
    if (!parseDouble(v, s) || s <= 0.0 || s > max) {
        char range[32];
        std::snprintf(range, sizeof range, "%g", max);
        error = "--seconds expects a number in (0, " + std::string(range) + "], got '" + v + "'";
        return false;
    }
    out = s;
    return true;
}

bool parseRate(const std::string& v, std::optional<unsigned>& out, std::string& error) {
    long rate = 0;
    if (!parseInt(v, 1000, 768000, rate)) {
        error = "--rate expects an integer from 1000 to 768000, got '" + v + "'";
        return false;
    }
    out = static_cast<unsigned>(rate);
    return true;
}

bool parseBlock(const std::string& v, int& out, std::string& error) {
    long block = 0;
    if (!parseInt(v, 1, 65536, block)) {
        error = "--block expects an integer from 1 to 65536, got '" + v + "'";
        return false;
    }
    out = static_cast<int>(block);
    return true;
}

bool parseSignal(const std::string& v, std::optional<TestSignal>& out, std::string& error) {
    TestSignal parsed;
    if (!parseTestSignal(v, parsed, error))
        return false;
    out = parsed;
    return true;
}

bool parseRenderOption(const std::string& name, ArgCursor& cur, RenderOptions& r,
                       std::string& error) {
    std::string v;
    if (name == "--in")
        return cur.value(name, r.inPath, error);
    if (name == "--out")
        return cur.value(name, r.outPath, error);
    if (name == "--load-chunk")
        return cur.value(name, r.loadChunk, error);
    if (name == "--save-chunk")
        return cur.value(name, r.saveChunk, error);
    if (!cur.value(name, v, error))
        return false;
    if (name == "--generate")
        return parseSignal(v, r.signal, error);
    if (name == "--seconds") {
        double s = 0.0;
        if (!parseSeconds(v, kMaxRenderSeconds, s, error))
            return false;
        r.seconds = s;
        return true;
    }
    if (name == "--rate")
        return parseRate(v, r.rate, error);
    if (name == "--block")
        return parseBlock(v, r.blockSize, error);
    if (name == "--precision") {
        if (v != "32" && v != "64") {
            error = "--precision expects 32 or 64, got '" + v + "'";
            return false;
        }
        r.doublePrecision = v == "64";
        return true;
    }
    if (name == "--param") {
        ParamSetting p;
        if (!parseParam(v, p, error))
            return false;
        r.params.push_back(p);
        return true;
    }
    if (name == "--out-format") {
        if (v == "f32")
            r.outFormat = OutFormat::Float32;
        else if (v == "f64")
            r.outFormat = OutFormat::Float64;
        else if (v == "pcm16")
            r.outFormat = OutFormat::Pcm16;
        else if (v == "pcm24")
            r.outFormat = OutFormat::Pcm24;
        else {
            error = "--out-format expects f32, f64, pcm16 or pcm24, got '" + v + "'";
            return false;
        }
        return true;
    }
    error = "unknown option " + name + " for render";
    return false;
}

bool checkRender(const RenderOptions& r, std::string& error) {
    if (r.inPath.empty() == !r.signal.has_value()) {
        error = "render needs exactly one of --in and --generate";
        return false;
    }
    if (r.outPath.empty()) {
        error = "render needs --out";
        return false;
    }
    audio::Encoding encoding{};
    audio::Container container{};
    return renderOutputFormat(r, encoding, container, error);
}

bool parseChunkOption(const std::string& name, ArgCursor& cur, ChunkOptions& c,
                      std::string& error) {
    if (name == "--load")
        return cur.value(name, c.load, error);
    if (name == "--save")
        return cur.value(name, c.save, error);
    error = "unknown option " + name + " for chunk";
    return false;
}

bool parseEditorOption(const std::string& name, ArgCursor& cur, EditorOptions& e,
                       std::string& error) {
    if (name == "--in")
        return cur.value(name, e.inPath, error);
    if (name == "--out")
        return cur.value(name, e.outPath, error);
    std::string v;
    if (name != "--generate" && name != "--seconds" && name != "--rate" && name != "--block") {
        error = "unknown option " + name + " for editor";
        return false;
    }
    if (!cur.value(name, v, error))
        return false;
    if (name == "--generate")
        return parseSignal(v, e.signal, error);
    if (name == "--seconds")
        return parseSeconds(v, kMaxEditorSeconds, e.seconds, error);
    if (name == "--rate")
        return parseRate(v, e.rate, error);
    return parseBlock(v, e.blockSize, error);
}

bool checkEditor(const EditorOptions& e, std::string& error) {
    if (!e.inPath.empty() && e.signal) {
        error = "editor takes --in or --generate, not both";
        return false;
    }
    if (e.outPath.empty()) {
        error = "editor needs --out";
        return false;
    }
    return true;
}

}  // namespace

bool parseTestSignal(const std::string& text, TestSignal& out, std::string& error) {
    const std::vector<std::string> parts = splitColons(text);
    TestSignal parsed;
    bool ok = false;
    if (parts[0] == "silence") {
        parsed.kind = TestSignal::Kind::Silence;
        ok = parts.size() == 1;
    } else if (parts[0] == "sine") {
        parsed.kind = TestSignal::Kind::Sine;
        ok = parts.size() == 3 && parseDouble(parts[1], parsed.frequency) &&
             parsed.frequency > 0.0 && parseDouble(parts[2], parsed.amplitude) &&
             parsed.amplitude >= 0.0;
    } else if (parts[0] == "noise") {
        parsed.kind = TestSignal::Kind::Noise;
        ok =
            parts.size() == 2 && parseDouble(parts[1], parsed.amplitude) && parsed.amplitude >= 0.0;
    }
    if (!ok) {
        error = "--generate expects silence, sine:HZ:AMP or noise:AMP (HZ > 0, AMP >= 0), got '" +
                text + "'";
        return false;
    }
    out = parsed;
    return true;
}

bool parseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error) {
    out = CommandLine{};
    if (args.empty()) {
        error = "missing command";
        return false;
    }
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        out.command = CommandLine::Command::Help;
        if (args.size() > 1)
            out.helpTopic = args[1];
        if (out.helpTopic != "" && out.helpTopic != "info" && out.helpTopic != "render" &&
            out.helpTopic != "chunk" && out.helpTopic != "editor") {
            error = "no help for '" + out.helpTopic + "'";
            return false;
        }
        return true;
    }
    std::string* plugin = nullptr;
    if (command == "info") {
        out.command = CommandLine::Command::Info;
        plugin = &out.info.plugin;
    } else if (command == "render") {
        out.command = CommandLine::Command::Render;
        plugin = &out.render.plugin;
    } else if (command == "chunk") {
        out.command = CommandLine::Command::Chunk;
        plugin = &out.chunk.plugin;
    } else if (command == "editor") {
        out.command = CommandLine::Command::Editor;
        plugin = &out.editor.plugin;
    } else {
        error = "unknown command '" + command + "'";
        return false;
    }

    const std::vector<std::string> rest(args.begin() + 1, args.end());
    ArgCursor cur(rest);
    while (!cur.done()) {
        std::string name, positional;
        cur.take(name, positional);
        if (name == "--help") {
            out.helpTopic = command;
            out.command = CommandLine::Command::Help;
            return true;
        }
        bool ok = true;
        if (name.empty()) {
            ok = setPlugin(*plugin, positional, error);
        } else if (out.command == CommandLine::Command::Render) {
            ok = parseRenderOption(name, cur, out.render, error);
        } else if (out.command == CommandLine::Command::Chunk) {
            ok = parseChunkOption(name, cur, out.chunk, error);
        } else if (out.command == CommandLine::Command::Editor) {
            ok = parseEditorOption(name, cur, out.editor, error);
        } else {
            error = "unknown option " + name + " for " + command;
            ok = false;
        }
        if (!ok)
            return false;
    }
    if (plugin->empty()) {
        error = command + " needs the path of a plug-in DLL";
        return false;
    }
    if (out.command == CommandLine::Command::Render)
        return checkRender(out.render, error);
    if (out.command == CommandLine::Command::Editor)
        return checkEditor(out.editor, error);
    if (out.command == CommandLine::Command::Chunk && out.chunk.load.empty() &&
        out.chunk.save.empty()) {
        error = "chunk needs --save FILE, --load FILE or both";
        return false;
    }
    return true;
}

std::string helpText(const std::string& topic) {
    const std::string info = "  vsthost info PLUGIN.dll\n"
                             "      Prints the plug-in's record, names and parameters.\n";
    const std::string render =
        "  vsthost render PLUGIN.dll (--in IN | --generate SIGNAL) --out OUT [options]\n"
        "      Runs audio through the plug-in and prints peak and RMS per output channel.\n"
        "      IN: WAV, RF64, W64, AIFF, FLAC, ...; OUT's extension picks its container\n"
        "      (.wav, .rf64, .w64, .aif/.aiff, .flac; WAV for any other).\n"
        "      --generate SIGNAL   silence | sine:HZ:AMP | noise:AMP (one channel per input)\n"
        "      --seconds S         length (default 1 for --generate, the file's for --in;\n"
        "                          a longer length pads the file with silence)\n"
        "      --rate R            sample rate (default 48000, or the file's)\n"
        "      --block N           block size (default 512)\n"
        "      --precision 32|64   processReplacing or processDoubleReplacing (default 32)\n"
        "      --param I=V         sets parameter I to normalised V before rendering\n"
        "                          (repeatable)\n"
        "      --load-chunk FILE   hands FILE to effSetChunk after resume\n"
        "      --save-chunk FILE   stores effGetChunk after rendering\n"
        "      --out-format F      f32 | f64 | pcm16 | pcm24 (default f32, f64 at\n"
        "                          --precision 64; pcm24 in FLAC, which holds no floats)\n";
    const std::string chunk =
        "  vsthost chunk PLUGIN.dll [--load FILE] [--save FILE]\n"
        "      Loads a state chunk into the plug-in and/or saves its state chunk, with no\n"
        "      audio; with both, --load happens first.\n";
    const std::string editor =
        "  vsthost editor PLUGIN.dll --out SHOT.png [options]\n"
        "      Opens the plug-in's editor in a window, runs audio through the plug-in in\n"
        "      real time while the editor is open, then saves the editor's pixels as PNG.\n"
        "      --seconds S         how long the editor stays open (default 1, at most 60)\n"
        "      --in IN             audio file to play, looped (default: silence)\n"
        "      --generate SIGNAL   silence | sine:HZ:AMP | noise:AMP instead of a file\n"
        "      --rate R            sample rate (default 48000, or the file's)\n"
        "      --block N           block size (default 512)\n";
    if (topic == "info")
        return "usage:\n" + info;
    if (topic == "editor")
        return "usage:\n" + editor;
    if (topic == "render")
        return "usage:\n" + render;
    if (topic == "chunk")
        return "usage:\n" + chunk;
    return "vsthost: a command-line VST 2.4 host for testing plug-ins\n\n"
           "usage:\n" +
           info + render + chunk + editor +
           "  vsthost --help [COMMAND]\n\n"
           "Exit status: 0 success, 1 failure, 2 bad command line, 3 the plug-in crashed.\n";
}

}  // namespace plux::vsthost
