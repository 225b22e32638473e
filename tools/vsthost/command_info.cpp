#include "tools/vsthost/commands.h"

#include <cstdio>
#include <iterator>
#include <string>

namespace plux::vsthost {
namespace {

// Plug-ins report on their own sample rate and block size; these are typical.
constexpr double kInfoSampleRate = 48000.0;
constexpr VstInt32 kInfoBlockSize = 512;

// Plug-in texts go to a terminal: replace control and non-ASCII bytes.
std::string printable(const std::string& text) {
    std::string s;
    for (char c : text)
        s += (c >= 0x20 && c < 0x7F) ? c : '?';
    return s;
}

std::string fourChars(VstInt32 value) {
    const auto v = static_cast<std::uint32_t>(value);
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8)
        s += static_cast<char>((v >> shift) & 0xFF);
    return "'" + printable(s) + "'";
}

std::string hex32(VstInt32 value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

std::string flagNames(VstInt32 flags) {
    static const struct {
        VstInt32 bit;
        const char* name;
    } kFlags[] = {
        {effFlagsHasEditor, "HasEditor"},
        {effFlagsHasClip, "HasClip"},
        {effFlagsHasVu, "HasVu"},
        {effFlagsCanMono, "CanMono"},
        {effFlagsCanReplacing, "CanReplacing"},
        {effFlagsProgramChunks, "ProgramChunks"},
        {effFlagsIsSynth, "IsSynth"},
        {effFlagsNoSoundInStop, "NoSoundInStop"},
        {effFlagsExtIsAsync, "ExtIsAsync"},
        {effFlagsExtHasBuffer, "ExtHasBuffer"},
        {effFlagsCanDoubleReplacing, "CanDoubleReplacing"},
    };
    std::string names;
    VstInt32 known = 0;
    for (const auto& f : kFlags) {
        known |= f.bit;
        if ((flags & f.bit) != 0)
            names += (names.empty() ? "" : " ") + std::string(f.name);
    }
    if ((flags & ~known) != 0)
        names += (names.empty() ? "" : " ") + hex32(flags & ~known);
    return names;
}

std::string categoryName(VstIntPtr category) {
    static const char* const kNames[] = {
        "Unknown", "Effect",     "Synth",       "Analysis",       "Mastering", "Spacializer",
        "RoomFx",  "SurroundFx", "Restoration", "OfflineProcess", "Shell",     "Generator",
    };
    if (category >= 0 && category < static_cast<VstIntPtr>(std::size(kNames))) {
        return kNames[category];
    }
    return "?";
}

void line(std::ostream& out, const char* key, const std::string& value) {
    std::string padded = std::string(key) + ":";
    padded.resize(16, ' ');
    out << padded << value << '\n';
}

void printParameters(const PluginSession& session, std::ostream& out) {
    AEffect* e = session.effect();
    for (VstInt32 i = 0; i < e->numParams; ++i) {
        std::string value = "n/a";
        if (e->getParameter) {
            char text[32];
            std::snprintf(text, sizeof text, "%.6f", static_cast<double>(e->getParameter(e, i)));
            value = text;
        }
        out << "  " << i << ": name \"" << printable(session.text(effGetParamName, i))
            << "\", label \"" << printable(session.text(effGetParamLabel, i)) << "\", display \""
            << printable(session.text(effGetParamDisplay, i)) << "\", value " << value << '\n';
    }
}

}  // namespace

int runInfo(PluginEntry entry, const InfoOptions&, std::ostream& out, std::ostream& err) {
    HostContext host;
    PluginSession session;
    std::string error;
    if (!session.open(entry, error))
        return reportFailure(err, error);
    session.configure(host, kInfoSampleRate, kInfoBlockSize);
    const AEffect* e = session.effect();
    line(out, "magic", hex32(e->magic) + " " + fourChars(e->magic));
    line(out, "uniqueID",
         std::to_string(e->uniqueID) + " (" + hex32(e->uniqueID) + " " + fourChars(e->uniqueID) +
             ")");
    line(out, "version", std::to_string(e->version));
    line(out, "numPrograms", std::to_string(e->numPrograms));
    line(out, "numParams", std::to_string(e->numParams));
    line(out, "numInputs", std::to_string(e->numInputs));
    line(out, "numOutputs", std::to_string(e->numOutputs));
    line(out, "flags", hex32(e->flags) + " (" + flagNames(e->flags) + ")");
    line(out, "initialDelay", std::to_string(e->initialDelay));
    line(out, "effectName", printable(session.text(effGetEffectName)));
    line(out, "vendor", printable(session.text(effGetVendorString)));
    line(out, "product", printable(session.text(effGetProductString)));
    line(out, "vendorVersion", std::to_string(session.dispatch(effGetVendorVersion)));
    line(out, "vstVersion", std::to_string(session.dispatch(effGetVstVersion)));
    const VstIntPtr category = session.dispatch(effGetPlugCategory);
    line(out, "plugCategory", std::to_string(category) + " (" + categoryName(category) + ")");
    line(out, "programName", printable(session.text(effGetProgramName)));
    line(out, "parameters", std::to_string(e->numParams));
    printParameters(session, out);
    session.close();
    return kExitOk;
}

}  // namespace plux::vsthost
