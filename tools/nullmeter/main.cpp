// Measures a stereo WAV file with the null-test effect, in-process, through
// the same wrapper a host uses, and prints the results of every closed
// window. (A VST 2.4 host has no way to read a meter; the plug-in shows the
// same numbers in its editor.)
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "effects/nulltest/nulltest_effect.h"
#include "shell/assembly.h"
#include "tools/common/wav.h"

namespace {

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

int usage() {
    std::fprintf(stderr, "usage: nullmeter [--window SECONDS] FILE.wav\n"
                         "  Measures left, right, mid and side of a stereo file over windows of\n"
                         "  SECONDS (0.1 to 10, default 1) and prints RMS and peak of each\n"
                         "  closed window in dB FS and in bits below full scale.\n");
    return 2;
}

void printWindow(int index, double endSeconds, const nulltest::Variables& v) {
    std::printf("window %d (ends at %.3f s)\n", index, endSeconds);
    std::printf("  %-6s %12s %10s %12s %10s\n", "", "RMS dB", "RMS bits", "peak dB", "peak bits");
    const struct {
        const char* name;
        const nulltest::SignalMeter& meter;
    } rows[] = {{"L", v.left}, {"R", v.right}, {"M", v.mid}, {"S", v.side}};
    for (const auto& row : rows)
        std::printf("  %-6s %12.2f %10.2f %12.2f %10.2f\n", row.name, row.meter.rmsDb,
                    row.meter.rmsBits, row.meter.peakDb, row.meter.peakBits);
}

}  // namespace

int main(int argc, char** argv) {
    double windowSeconds = 1.0;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--window" && i + 1 < argc) {
            windowSeconds = std::atof(argv[++i]);
        } else if (arg == "-h" || arg == "--help") {
            return usage();
        } else if (path.empty()) {
            path = arg;
        } else {
            return usage();
        }
    }
    if (path.empty() || !(windowSeconds >= 0.1 && windowSeconds <= 10.0))
        return usage();

    plux::wav::Audio audio;
    std::string error;
    if (!plux::wav::readFile(path, audio, error)) {
        std::fprintf(stderr, "nullmeter: %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    if (audio.channels.size() != 2) {
        std::fprintf(stderr, "nullmeter: %s: needs two channels, has %zu\n", path.c_str(),
                     audio.channels.size());
        return 1;
    }

    auto* script = new nulltest::TVexmoldEffect;
    AEffect* effect = assemblePlugin(host, script);
    if (effect == nullptr)
        return 1;
    auto dispatch = [effect](VstInt32 opcode, VstIntPtr value = 0, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, 0, value, nullptr, opt);
    };
    dispatch(effOpen);
    dispatch(effSetSampleRate, 0, static_cast<float>(audio.sampleRate));
    dispatch(effSetBlockSize, 1);
    dispatch(effMainsChanged, 1);
    effect->setParameter(effect, 0, static_cast<float>((windowSeconds - 0.1) / 9.9));

    std::printf("%s: %zu frames at %u Hz, window %.1f s\n", path.c_str(), audio.frameCount(),
                audio.sampleRate, script->slider(1));
    int windows = 0;
    // One frame per call, so that every closed window can be reported.
    for (size_t i = 0; i < audio.frameCount(); ++i) {
        double inL = audio.channels[0][i], inR = audio.channels[1][i];
        double outL = 0.0, outR = 0.0;
        double* in[2] = {&inL, &inR};
        double* out[2] = {&outL, &outR};
        effect->processDoubleReplacing(effect, in, out, 1);
        if (script->vars.windowSampleCount == 0.0)
            printWindow(++windows, static_cast<double>(i + 1) / audio.sampleRate, script->vars);
    }
    if (windows == 0)
        std::printf("no window closed: the file is shorter than one window\n");
    dispatch(effMainsChanged, 0);
    dispatch(effClose);
    return 0;
}
