#include "tools/vsthost/plugin_session.h"

#include <cstdio>

namespace plux::vsthost {
namespace {

// effSetProcessPrecision values.
constexpr VstIntPtr kPrecision32 = 0;
constexpr VstIntPtr kPrecision64 = 1;

// Hosts promise only a few bytes for most texts; generous buffers keep a
// plug-in that writes too much from corrupting memory, and show the overrun.
constexpr std::size_t kTextBuffer = 256;

std::string hex(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(v));
    return text;
}

}  // namespace

PluginSession::~PluginSession() {
    close();
}

bool PluginSession::open(PluginEntry entry, std::string& error) {
    AEffect* e = entry(&HostContext::callback);
    if (!e) {
        error = "the entry point returned no AEffect";
        return false;
    }
    if (e->magic != kEffectMagic) {
        error = "the AEffect has magic " + hex(static_cast<std::uint32_t>(e->magic)) +
                " instead of 'VstP'";
        return false;
    }
    if (!e->dispatcher) {
        error = "the AEffect has no dispatcher";
        return false;
    }
    effect_ = e;
    dispatch(effOpen);
    return true;
}

void PluginSession::configure(HostContext& host, double sampleRate, VstInt32 blockSize) {
    host.setSampleRate(sampleRate);
    host.setBlockSize(blockSize);
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    dispatch(effSetBlockSize, 0, blockSize);
}

bool PluginSession::setPrecision(bool doublePrecision, std::string& error) {
    if (doublePrecision &&
        !((effect_->flags & effFlagsCanDoubleReplacing) != 0 && effect_->processDoubleReplacing)) {
        error = "the plug-in does not offer processDoubleReplacing";
        return false;
    }
    if (!doublePrecision && !effect_->processReplacing) {
        error = "the plug-in does not offer processReplacing";
        return false;
    }
    dispatch(effSetProcessPrecision, 0, doublePrecision ? kPrecision64 : kPrecision32);
    return true;
}

void PluginSession::resume() {
    dispatch(effMainsChanged, 0, 1);
    dispatch(effStartProcess);
    resumed_ = true;
}

void PluginSession::suspend() {
    if (!resumed_)
        return;
    dispatch(effStopProcess);
    dispatch(effMainsChanged, 0, 0);
    resumed_ = false;
}

void PluginSession::close() {
    if (!effect_)
        return;
    suspend();
    dispatch(effClose);
    effect_ = nullptr;  // effClose frees the record
}

VstIntPtr PluginSession::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                  float opt) const {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string PluginSession::text(VstInt32 opcode, VstInt32 index) const {
    char buffer[kTextBuffer] = {};
    dispatch(opcode, index, 0, buffer);
    buffer[kTextBuffer - 1] = '\0';
    return buffer;
}

bool PluginSession::setChunk(const std::vector<std::uint8_t>& bytes, std::string& error) {
    if ((effect_->flags & effFlagsProgramChunks) == 0) {
        error = "the plug-in does not declare effFlagsProgramChunks";
        return false;
    }
    // The plug-in reads but may not keep the buffer; a copy keeps `bytes` const.
    std::vector<std::uint8_t> copy(bytes);
    if (copy.empty())
        copy.push_back(0);  // never hand out a null pointer
    if (dispatch(effSetChunk, 0, static_cast<VstIntPtr>(bytes.size()), copy.data()) == 0) {
        error = "effSetChunk rejected the " + std::to_string(bytes.size()) + "-byte chunk";
        return false;
    }
    return true;
}

bool PluginSession::getChunk(std::vector<std::uint8_t>& bytes, std::string& error) {
    bytes.clear();
    if ((effect_->flags & effFlagsProgramChunks) == 0) {
        error = "the plug-in does not declare effFlagsProgramChunks";
        return false;
    }
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) {
        error = "effGetChunk returned no chunk";
        return false;
    }
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes.assign(p, p + size);
    return true;
}

bool PluginSession::setParameter(VstInt32 index, float value, std::string& error) {
    if (index < 0 || index >= effect_->numParams) {
        error = "parameter " + std::to_string(index) + " does not exist (the plug-in has " +
                std::to_string(effect_->numParams) + ")";
        return false;
    }
    if (!effect_->setParameter) {
        error = "the AEffect has no setParameter";
        return false;
    }
    effect_->setParameter(effect_, index, value);
    return true;
}

}  // namespace plux::vsthost
