// The vsthost command line: parsed into plain option records, without
// touching files or plug-ins, so it can be tested on any platform.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace plux::vsthost {

struct TestSignal {
    enum class Kind { Silence, Sine, Noise };
    Kind kind = Kind::Silence;
    double frequency = 0.0;  // Hz, sine only
    double amplitude = 0.0;  // linear peak
};

struct ParamSetting {
    int index = 0;
    float value = 0.0f;  // normalised 0..1
};

enum class OutFormat { Float32, Float64, Pcm16, Pcm24 };

struct InfoOptions {
    std::string plugin;
};

struct RenderOptions {
    std::string plugin;
    std::string inPath;                // either this...
    std::optional<TestSignal> signal;  // ...or this
    std::optional<double> seconds;
    std::optional<unsigned> rate;
    int blockSize = 512;
    bool doublePrecision = false;
    std::vector<ParamSetting> params;
    std::string loadChunk;
    std::string saveChunk;
    std::string outPath;
    std::optional<OutFormat> outFormat;  // default: see output_format.h
};

struct ChunkOptions {
    std::string plugin;
    std::string load;
    std::string save;
};

// Opens the plug-in's editor in a window of its own, runs audio through the
// plug-in in real time meanwhile, and saves what the editor shows as a PNG.
struct EditorOptions {
    std::string plugin;
    std::string outPath;
    double seconds = 1.0;              // wall-clock time the editor stays open
    std::string inPath;                // looped; or...
    std::optional<TestSignal> signal;  // ...this; neither: silence
    std::optional<unsigned> rate;      // default 48000, or the file's
    int blockSize = 512;
};

struct CommandLine {
    enum class Command { Help, Info, Render, Chunk, Editor };
    Command command = Command::Help;
    std::string helpTopic;  // "", "info", "render", "chunk" or "editor"
    InfoOptions info;
    RenderOptions render;
    ChunkOptions chunk;
    EditorOptions editor;
};

// Arguments exclude the program name. Strings are UTF-8.
bool parseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error);

std::string helpText(const std::string& topic);

// "sine:1000:0.5", "noise:0.1", "silence".
bool parseTestSignal(const std::string& text, TestSignal& out, std::string& error);

}  // namespace plux::vsthost
