#include "tools/common/sndfile_open.h"

namespace plux::audio {

SNDFILE* openSoundFile(const std::filesystem::path& path, int mode, SF_INFO* info) {
    return sf_open(path.c_str(), mode, info);
}

}  // namespace plux::audio
