// The editor command's options: defaults, every option, limits, refusals.
#include "tools/vsthost/command_line.h"

#include <gtest/gtest.h>

namespace {

using plux::vsthost::CommandLine;
using plux::vsthost::helpText;
using plux::vsthost::parseCommandLine;
using plux::vsthost::TestSignal;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string parseError(const std::vector<std::string>& args) {
    CommandLine cl;
    std::string error;
    EXPECT_FALSE(parseCommandLine(args, cl, error));
    return error;
}

TEST(VsthostEditorOptions, Defaults) {
    CommandLine cl;
    std::string error;
    ASSERT_TRUE(parseCommandLine({"editor", "p.dll", "--out", "s.png"}, cl, error)) << error;
    ASSERT_EQ(cl.command, CommandLine::Command::Editor);
    EXPECT_EQ(cl.editor.plugin, "p.dll");
    EXPECT_EQ(cl.editor.outPath, "s.png");
    EXPECT_EQ(cl.editor.seconds, 1.0);
    EXPECT_TRUE(cl.editor.inPath.empty());
    EXPECT_FALSE(cl.editor.signal.has_value());
    EXPECT_FALSE(cl.editor.rate.has_value());
    EXPECT_EQ(cl.editor.blockSize, 512);
}

TEST(VsthostEditorOptions, EveryOptionAndItsLimits) {
    CommandLine cl;
    std::string error;
    ASSERT_TRUE(parseCommandLine({"editor", "--seconds=60", "--generate", "sine:440:0.5", "--rate",
                                  "1000", "--block=65536", "--out", "s.png", "p.dll"},
                                 cl, error))
        << error;
    EXPECT_EQ(cl.editor.seconds, 60.0);
    ASSERT_TRUE(cl.editor.signal.has_value());
    EXPECT_EQ(cl.editor.signal->kind, TestSignal::Kind::Sine);
    EXPECT_EQ(cl.editor.signal->frequency, 440.0);
    EXPECT_EQ(cl.editor.rate, 1000u);
    EXPECT_EQ(cl.editor.blockSize, 65536);

    ASSERT_TRUE(parseCommandLine({"editor", "p.dll", "--in", "a.wav", "--seconds", "0.001",
                                  "--rate", "768000", "--block", "1", "--out", "s.png"},
                                 cl, error))
        << error;
    EXPECT_EQ(cl.editor.inPath, "a.wav");
    EXPECT_EQ(cl.editor.seconds, 0.001);
    EXPECT_EQ(cl.editor.rate, 768000u);
    EXPECT_EQ(cl.editor.blockSize, 1);
}

TEST(VsthostEditorOptions, RefusesBadCommandLines) {
    const std::vector<std::string> base = {"editor", "p.dll", "--out", "s.png"};
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"--seconds", "0"},   {"--seconds", "60.5"}, {"--seconds", "x"},
        {"--rate", "999"},    {"--rate", "768001"},  {"--block", "0"},
        {"--block", "65537"}, {"--generate", "hum"}, {"--generate", "sine:0:1"},
    };
    for (const auto& [option, value] : bad) {
        std::vector<std::string> args = base;
        args.push_back(option);
        args.push_back(value);
        const std::string error = parseError(args);
        EXPECT_TRUE(contains(error, option)) << option << " " << value << ": " << error;
    }
    EXPECT_TRUE(
        contains(parseError({"editor", "p.dll", "--seconds", "61", "--out", "s.png"}), "(0, 60]"));
    EXPECT_TRUE(contains(parseError({"editor", "p.dll"}), "editor needs --out"));
    EXPECT_TRUE(contains(parseError({"editor", "--out", "s.png"}), "plug-in DLL"));
    EXPECT_TRUE(contains(
        parseError({"editor", "p.dll", "--out", "s.png", "--in", "a.wav", "--generate", "silence"}),
        "not both"));
    EXPECT_TRUE(contains(parseError({"editor", "p.dll", "--out", "s.png", "--precision", "64"}),
                         "unknown option --precision for editor"));
    EXPECT_TRUE(contains(parseError({"editor", "p.dll", "--out"}), "--out needs a value"));
}

TEST(VsthostEditorOptions, Help) {
    CommandLine cl;
    std::string error;
    ASSERT_TRUE(parseCommandLine({"help", "editor"}, cl, error)) << error;
    EXPECT_EQ(cl.helpTopic, "editor");
    ASSERT_TRUE(parseCommandLine({"editor", "--help"}, cl, error)) << error;
    EXPECT_EQ(cl.command, CommandLine::Command::Help);
    EXPECT_EQ(cl.helpTopic, "editor");
    const std::string text = helpText("editor");
    EXPECT_TRUE(contains(text, "vsthost editor PLUGIN.dll --out SHOT.png")) << text;
    EXPECT_FALSE(contains(text, "--precision")) << text;
    EXPECT_TRUE(contains(helpText(""), "vsthost editor")) << helpText("");
    // Render keeps its own limit on --seconds.
    EXPECT_TRUE(contains(parseError({"render", "p.dll", "--generate", "silence", "--out", "o.wav",
                                     "--seconds", "3601"}),
                         "(0, 3600]"));
}

}  // namespace
