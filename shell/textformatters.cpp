// Number-to-text helpers of the effect base class.
#include <cmath>
#include <cstdint>
#include <string>

#include "shell/audioeffect.h"

namespace {

// Writes text cut to maxLen characters and terminated.
void putText(char* text, VstInt32 maxLen, const std::string& value) {
    if (text == nullptr || maxLen < 0)
        return;
    const size_t length =
        value.size() < static_cast<size_t>(maxLen) ? value.size() : static_cast<size_t>(maxLen);
    value.copy(text, length);
    text[length] = '\0';
}

std::string decimalDigits(int64_t magnitude) {
    return std::to_string(magnitude);
}

}  // namespace

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 maxLen) {
    const int64_t wide = value;
    if (wide > 99999999 || wide < -99999999) {
        putText(text, maxLen, "Huge!");
        return;
    }
    std::string out = wide < 0 ? "-" : "";
    out += decimalDigits(wide < 0 ? -wide : wide);
    putText(text, maxLen, out);
}

void AudioEffect::float2string(float value, char* text, VstInt32 maxLen) {
    // Out of range and non-finite values leave the text as it was.
    // Compared in double: 99999999 has no float of its own.
    const double v = value;
    if (!std::isfinite(v) || v < -9999999.0 || v > 99999999.0)
        return;
    constexpr int kBudget = 8;
    const auto integer = static_cast<int64_t>(v);  // toward zero
    std::string out = v < 0 ? "-" : "";
    out += decimalDigits(integer < 0 ? -integer : integer);
    out += '.';
    putText(text, maxLen, out);

    const int remaining = kBudget - static_cast<int>(out.size());
    if (remaining <= 0)
        return;
    double fraction = std::fabs(v - static_cast<double>(integer));
    for (int i = 0; i < remaining; ++i)
        fraction *= 10.0;
    auto digits = static_cast<int64_t>(fraction);
    std::string tail(static_cast<size_t>(remaining), '0');
    for (int i = remaining - 1; i >= 0; --i) {
        if (digits > 0) {
            tail[static_cast<size_t>(i)] = static_cast<char>('0' + digits % 10);
            digits /= 10;
        }
    }
    putText(text, maxLen, out + tail);
}

void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen) {
    if (value <= 0.0f)
        putText(text, maxLen, "-oo");
    else
        float2string(static_cast<float>(20.0 * std::log10(value)), text, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 maxLen) {
    float2string(samples == 0.0f ? 0.0f : sampleRate / samples, text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 maxLen) {
    float2string(samples * 1000.0f / sampleRate, text, maxLen);
}
