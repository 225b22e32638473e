// Parsing of the vsthost command line: accepted forms, defaults, and the
// messages for everything it refuses.
#include "tools/vsthost/command_line.h"
#include "tools/vsthost/output_format.h"

#include <gtest/gtest.h>

namespace {

using plux::vsthost::CommandLine;
using plux::vsthost::OutFormat;
using plux::vsthost::parseCommandLine;
using plux::vsthost::TestSignal;

CommandLine parseOk(const std::vector<std::string>& args) {
    CommandLine cl;
    std::string error;
    EXPECT_TRUE(parseCommandLine(args, cl, error)) << error;
    return cl;
}

std::string parseError(const std::vector<std::string>& args) {
    CommandLine cl;
    std::string error;
    EXPECT_FALSE(parseCommandLine(args, cl, error));
    EXPECT_FALSE(error.empty());
    return error;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(VsthostCommandLine, Info) {
    const CommandLine cl = parseOk({"info", "plug.dll"});
    EXPECT_EQ(cl.command, CommandLine::Command::Info);
    EXPECT_EQ(cl.info.plugin, "plug.dll");
}

TEST(VsthostCommandLine, RenderDefaults) {
    const CommandLine cl = parseOk({"render", "p.dll", "--in", "a.wav", "--out", "b.wav"});
    ASSERT_EQ(cl.command, CommandLine::Command::Render);
    const auto& r = cl.render;
    EXPECT_EQ(r.plugin, "p.dll");
    EXPECT_EQ(r.inPath, "a.wav");
    EXPECT_EQ(r.outPath, "b.wav");
    EXPECT_FALSE(r.signal.has_value());
    EXPECT_FALSE(r.seconds.has_value());
    EXPECT_FALSE(r.rate.has_value());
    EXPECT_EQ(r.blockSize, 512);
    EXPECT_FALSE(r.doublePrecision);
    EXPECT_TRUE(r.params.empty());
    EXPECT_FALSE(r.outFormat.has_value());
}

TEST(VsthostCommandLine, RenderWithEveryOption) {
    const CommandLine cl =
        parseOk({"render",      "--generate",   "sine:997.5:0.25", "--seconds",
                 "2.5",         "--rate=96000", "--block",         "64",
                 "--precision", "64",           "--param",         "0=0.25",
                 "--param=3=1", "--load-chunk", "in.bin",          "--save-chunk",
                 "out.bin",     "--out",        "o.wav",           "--out-format",
                 "pcm16",       "p.dll"});
    const auto& r = cl.render;
    EXPECT_EQ(r.plugin, "p.dll");
    ASSERT_TRUE(r.signal.has_value());
    EXPECT_EQ(r.signal->kind, TestSignal::Kind::Sine);
    EXPECT_EQ(r.signal->frequency, 997.5);
    EXPECT_EQ(r.signal->amplitude, 0.25);
    EXPECT_EQ(r.seconds, 2.5);
    EXPECT_EQ(r.rate, 96000u);
    EXPECT_EQ(r.blockSize, 64);
    EXPECT_TRUE(r.doublePrecision);
    ASSERT_EQ(r.params.size(), 2u);
    EXPECT_EQ(r.params[0].index, 0);
    EXPECT_EQ(r.params[0].value, 0.25f);
    EXPECT_EQ(r.params[1].index, 3);
    EXPECT_EQ(r.params[1].value, 1.0f);
    EXPECT_EQ(r.loadChunk, "in.bin");
    EXPECT_EQ(r.saveChunk, "out.bin");
    EXPECT_EQ(r.outFormat, OutFormat::Pcm16);
}

TEST(VsthostCommandLine, TestSignals) {
    TestSignal s;
    std::string error;
    ASSERT_TRUE(plux::vsthost::parseTestSignal("silence", s, error));
    EXPECT_EQ(s.kind, TestSignal::Kind::Silence);
    ASSERT_TRUE(plux::vsthost::parseTestSignal("noise:0.125", s, error));
    EXPECT_EQ(s.kind, TestSignal::Kind::Noise);
    EXPECT_EQ(s.amplitude, 0.125);
    for (const char* bad : {"", "sine", "sine:440", "sine:0:0.5", "sine:-5:0.5", "sine:440:-1",
                            "sine:440:x", "sine:440:0.5:1", "noise", "noise:", "noise:nan",
                            "silence:1", "square:440:1", "sine:inf:1"}) {
        EXPECT_FALSE(plux::vsthost::parseTestSignal(bad, s, error)) << bad;
    }
}

TEST(VsthostCommandLine, ChunkNeedsLoadOrSave) {
    const CommandLine save = parseOk({"chunk", "p.dll", "--save", "s.bin"});
    EXPECT_EQ(save.command, CommandLine::Command::Chunk);
    EXPECT_EQ(save.chunk.save, "s.bin");
    EXPECT_TRUE(save.chunk.load.empty());
    const CommandLine both = parseOk({"chunk", "--load", "l.bin", "p.dll", "--save", "s.bin"});
    EXPECT_EQ(both.chunk.load, "l.bin");
    EXPECT_EQ(both.chunk.save, "s.bin");
    EXPECT_TRUE(contains(parseError({"chunk", "p.dll"}), "--save"));
}

TEST(VsthostCommandLine, Help) {
    EXPECT_EQ(parseOk({"--help"}).command, CommandLine::Command::Help);
    EXPECT_EQ(parseOk({"-h"}).helpTopic, "");
    EXPECT_EQ(parseOk({"help", "render"}).helpTopic, "render");
    const CommandLine sub = parseOk({"render", "--help"});
    EXPECT_EQ(sub.command, CommandLine::Command::Help);
    EXPECT_EQ(sub.helpTopic, "render");
    EXPECT_TRUE(contains(plux::vsthost::helpText(""), "vsthost info"));
    EXPECT_TRUE(contains(plux::vsthost::helpText("chunk"), "--load"));
    EXPECT_FALSE(contains(plux::vsthost::helpText("chunk"), "--generate"));
    EXPECT_TRUE(contains(parseError({"help", "bogus"}), "bogus"));
}

TEST(VsthostCommandLine, RefusesBadCommandLines) {
    EXPECT_TRUE(contains(parseError({}), "missing command"));
    EXPECT_TRUE(contains(parseError({"play", "p.dll"}), "unknown command 'play'"));
    EXPECT_TRUE(contains(parseError({"info"}), "plug-in"));
    EXPECT_TRUE(contains(parseError({"info", "a.dll", "b.dll"}), "unexpected argument 'b.dll'"));
    EXPECT_TRUE(contains(parseError({"info", "a.dll", "--out", "x"}), "unknown option --out"));
    EXPECT_TRUE(contains(parseError({"chunk", "a.dll", "--in", "x"}), "unknown option --in"));
    EXPECT_TRUE(contains(parseError({"render", "p.dll", "--out", "o.wav"}), "exactly one"));
    EXPECT_TRUE(contains(
        parseError({"render", "p.dll", "--in", "i.wav", "--generate", "silence", "--out", "o"}),
        "exactly one"));
    EXPECT_TRUE(contains(parseError({"render", "p.dll", "--in", "i.wav"}), "--out"));
    EXPECT_TRUE(contains(parseError({"render", "p.dll", "--in"}), "--in needs a value"));
    EXPECT_TRUE(contains(parseError({"render", "p.dll", "--bogus", "1"}), "unknown option"));
}

TEST(VsthostCommandLine, RefusesOutOfRangeNumbers) {
    const std::vector<std::string> base = {"render", "p.dll", "--in", "i.wav", "--out", "o.wav"};
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"--seconds", "0"},   {"--seconds", "-1"},     {"--seconds", "3601"}, {"--seconds", "1s"},
        {"--rate", "999"},    {"--rate", "768001"},    {"--rate", "44100.5"}, {"--block", "0"},
        {"--block", "65537"}, {"--block", "12x"},      {"--precision", "16"}, {"--param", "0"},
        {"--param", "=0.5"},  {"--param", "-1=0.5"},   {"--param", "0=1.5"},  {"--param", "0=-0.1"},
        {"--param", "a=0.5"}, {"--out-format", "wav"},
    };
    for (const auto& [option, value] : bad) {
        std::vector<std::string> args = base;
        args.push_back(option);
        args.push_back(value);
        const std::string error = parseError(args);
        EXPECT_TRUE(contains(error, option)) << option << " " << value << ": " << error;
    }
    std::vector<std::string> edges = base;
    for (const char* s : {"--rate", "1000", "--block", "65536", "--seconds", "3600", "--param",
                          "7=0", "--out-format", "f64"}) {
        edges.push_back(s);
    }
    const CommandLine cl = parseOk(edges);
    EXPECT_EQ(cl.render.rate, 1000u);
    EXPECT_EQ(cl.render.blockSize, 65536);
    EXPECT_EQ(cl.render.seconds, 3600.0);
    EXPECT_EQ(cl.render.outFormat, OutFormat::Float64);
}

// The output's container follows its name; FLAC holds no floats, so a float
// encoding asked for there is refused before any work.
TEST(VsthostCommandLine, OutputFormatFollowsTheFileName) {
    using plux::audio::Container;
    using plux::audio::Encoding;
    const auto chosen = [](const std::vector<std::string>& extra, Encoding& encoding,
                           Container& container) {
        std::vector<std::string> args = {"render", "p.dll", "--generate", "silence"};
        args.insert(args.end(), extra.begin(), extra.end());
        const CommandLine cl = parseOk(args);
        std::string error;
        EXPECT_TRUE(plux::vsthost::renderOutputFormat(cl.render, encoding, container, error))
            << error;
    };
    const struct {
        std::vector<std::string> args;
        Encoding encoding;
        Container container;
    } cases[] = {
        {{"--out", "a.wav"}, Encoding::Float32, Container::Wav},
        {{"--out", "a.WAV", "--precision", "64"}, Encoding::Float64, Container::Wav},
        {{"--out", "a.rf64", "--out-format", "pcm16"}, Encoding::Pcm16, Container::Rf64},
        {{"--out", "a.w64", "--out-format", "pcm24"}, Encoding::Pcm24, Container::W64},
        {{"--out", "dir.x/a.aif", "--out-format", "f64"}, Encoding::Float64, Container::Aiff},
        {{"--out", "a.aiff"}, Encoding::Float32, Container::Aiff},
        {{"--out", "a.flac"}, Encoding::Pcm24, Container::Flac},
        {{"--out", "a.flac", "--precision", "64"}, Encoding::Pcm24, Container::Flac},
        {{"--out", "a.FLAC", "--out-format", "pcm16"}, Encoding::Pcm16, Container::Flac},
        {{"--out", "render.out"}, Encoding::Float32, Container::Wav},
        {{"--out", "no_extension"}, Encoding::Float32, Container::Wav},
    };
    for (const auto& c : cases) {
        Encoding encoding{};
        Container container{};
        chosen(c.args, encoding, container);
        EXPECT_EQ(encoding, c.encoding) << c.args[1];
        EXPECT_EQ(container, c.container) << c.args[1];
    }
    for (const char* format : {"f32", "f64"}) {
        const std::string error = parseError({"render", "p.dll", "--generate", "silence", "--out",
                                              "a.flac", "--out-format", format});
        EXPECT_TRUE(contains(error, "--out a.flac: FLAC holds only PCM")) << error;
    }
    EXPECT_TRUE(contains(parseError({"render", "p.dll", "--generate", "silence", "--out", "o.wav",
                                     "--out-format", "pcm8"}),
                         "f32, f64, pcm16 or pcm24"));
}

}  // namespace
