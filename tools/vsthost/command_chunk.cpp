#include "tools/vsthost/commands.h"

#include "tools/vsthost/file_bytes.h"

namespace plux::vsthost {
namespace {

constexpr double kChunkSampleRate = 48000.0;
constexpr VstInt32 kChunkBlockSize = 512;

}  // namespace

int runChunk(PluginEntry entry, const ChunkOptions& o, std::ostream& out, std::ostream& err) {
    std::string error;
    std::vector<std::uint8_t> loaded;
    if (!o.load.empty() && !readBytes(o.load, loaded, error))
        return reportFailure(err, error);

    HostContext host;
    PluginSession session;
    if (!session.open(entry, error))
        return reportFailure(err, error);
    // The same state as in `render`, where chunks are set after resume.
    session.configure(host, kChunkSampleRate, kChunkBlockSize);
    session.resume();
    if (!o.load.empty()) {
        if (!session.setChunk(loaded, error))
            return reportFailure(err, error);
        out << "loaded " << loaded.size() << " bytes from " << o.load << '\n';
    }
    std::vector<std::uint8_t> saved;
    if (!o.save.empty() && !session.getChunk(saved, error))
        return reportFailure(err, error);
    session.close();
    if (!o.save.empty()) {
        if (!writeBytes(o.save, saved, error))
            return reportFailure(err, error);
        out << "saved " << saved.size() << " bytes to " << o.save << '\n';
    }
    return kExitOk;
}

}  // namespace plux::vsthost
