#include "runtime/files.h"

#include <cstdio>

#include "runtime/paths.h"
#include "runtime/scriptvalue.h"

void TVexmoldFileHandle::transferValue(double& value) {
    if (position < 0)
        return;
    const size_t at = static_cast<size_t>(position);
    if (mode == writing) {
        if (data.size() < at + 1)
            data.resize(at + 1, 0.0f);
        data[at] = static_cast<float>(value);
        ++position;
    } else if (mode == reading) {
        if (at < data.size()) {
            value = static_cast<double>(data[at]);
            ++position;
        }
    }
}

void TVexmoldFileHandle::flush() const {
    if (mode != writing || name.empty())
        return;
    FILE* file = std::fopen(vexmold::resolvePath(name).c_str(), "wb");
    if (file == nullptr)
        return;
    for (const float v : data) {
        // One byte per value: the value as an index, cut to its low 8 bits.
        const auto byte = static_cast<unsigned char>(
            static_cast<uint32_t>(vexmold::scriptIndex(static_cast<double>(v))) & 0xFFu);
        std::fputc(byte, file);
    }
    std::fclose(file);
}

void TVexmoldFileHandle::resetForState(Mode newMode) {
    name.clear();
    data.clear();  // keeps the capacity, so later state transfers rarely allocate
    position = 0;
    flags[0] = 0;
    mode = newMode;
    extra = 0;
}

void CVexmoldFiles::transferValue(double h, double& value) {
    const int32_t index = vexmold::scriptIndex(h);
    if (index < 0 || static_cast<size_t>(index) >= fileHandles.size())
        return;
    fileHandles[static_cast<size_t>(index)].transferValue(value);
}

CVexmoldFiles::~CVexmoldFiles() {
    for (const TVexmoldFileHandle& handle : fileHandles)
        handle.flush();
}
