#include "tools/common/sndfile_open.h"

namespace plux::audio {

// The wide name, not a narrow one in the ANSI code page, which cannot spell
// most non-ASCII names.
SNDFILE* openSoundFile(const std::filesystem::path& path, int mode, SF_INFO* info) {
    return sf_wchar_open(path.c_str(), mode, info);
}

}  // namespace plux::audio
