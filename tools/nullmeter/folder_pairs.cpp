#include "tools/nullmeter/folder_pairs.h"

#include <map>
#include <system_error>

#include "tools/common/audio_file.h"

namespace nullmeter {
namespace {

namespace fs = std::filesystem;

bool listAudio(const fs::path& folder, std::map<std::string, FilePair>& pairs, bool sideA,
               std::string& error) {
    std::error_code failure;
    fs::recursive_directory_iterator it(folder, failure), end;
    for (; !failure && it != end; it.increment(failure)) {
        std::error_code kind;
        if (!it->is_regular_file(kind))
            continue;
        plux::audio::Container container;
        if (!plux::audio::containerForPath(it->path(), container))
            continue;
        const std::string relative = it->path().lexically_relative(folder).generic_string();
        FilePair& pair = pairs[relative];
        pair.relative = relative;
        (sideA ? pair.a : pair.b) = it->path();
        (sideA ? pair.inA : pair.inB) = true;
    }
    if (failure) {
        error = folder.string() + ": cannot be listed (" + failure.message() + ")";
        return false;
    }
    return true;
}

}  // namespace

bool pairFolders(const fs::path& folderA, const fs::path& folderB, std::vector<FilePair>& pairs,
                 std::string& error) {
    std::map<std::string, FilePair> byPath;  // sorted by relative path
    if (!listAudio(folderA, byPath, true, error) || !listAudio(folderB, byPath, false, error))
        return false;
    pairs.clear();
    for (auto& [relative, pair] : byPath) {
        if (!pair.inA)
            pair.a = folderA / fs::u8path(relative);
        if (!pair.inB)
            pair.b = folderB / fs::u8path(relative);
        pairs.push_back(std::move(pair));
    }
    return true;
}

}  // namespace nullmeter
