#include "runtime/description.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "runtime/paths.h"
#include "platform/platform.h"
#include "runtime/scriptvalue.h"

void copyBoundedText(char* destination, size_t size, const std::string& text) {
    if (destination == nullptr || size == 0)
        return;
    const size_t length = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(destination, text.data(), length);
    destination[length] = '\0';
}

namespace {

bool validValueIndex(int32_t index) {
    return index >= 0 && index < CVexmoldSliders::kSliderValueCount;
}

}  // namespace

const TVexmoldSlider* CVexmoldDescription::sliderAt(int32_t index) const {
    if (index < 0 || static_cast<size_t>(index) >= sliders.size())
        return nullptr;
    const TVexmoldSlider* record = &sliders[static_cast<size_t>(index)];
    return validValueIndex(record->valueIndex) ? record : nullptr;
}

void CVexmoldDescription::declareSlider(TVexmoldSlider slider) {
    if (validValueIndex(slider.valueIndex))
        sliderValues[static_cast<size_t>(slider.valueIndex)] = slider.defaultValue;
    sliders.push_back(std::move(slider));
    loadOptionNames(sliders.back());
}

double CVexmoldDescription::getParameter(int32_t index) const {
    const TVexmoldSlider* r = sliderAt(index);
    if (r == nullptr)
        return 0.0;
    const double range = r->maximum - r->minimum;
    const double value = sliderValues[static_cast<size_t>(r->valueIndex)];
    // A slider without range has no normalised position; 0 keeps the host sane.
    return vexmold::finiteOrZero((value - r->minimum) / range);
}

bool CVexmoldDescription::setParameter(int32_t index, double x) {
    const TVexmoldSlider* r = sliderAt(index);
    if (r == nullptr || !std::isfinite(x))
        return false;
    double q = ((r->maximum - r->minimum) * x + r->minimum + 0.5 * r->step) / r->step;
    if (std::fabs(q) < 4503599627370496.0)  // 2^52: below it q may have a fraction
        q = std::floor(q);
    const double v = q * r->step;
    // A slider without a usable step maps to no value; nothing is stored.
    if (!std::isfinite(v))
        return false;
    double& stored = sliderValues[static_cast<size_t>(r->valueIndex)];
    if (vexmold::scriptEquals(v, stored))
        return false;
    stored = v;
    if (r->mirror != nullptr)
        *r->mirror = v;
    doSlider();
    return true;
}

void CVexmoldDescription::keepSliderValuesInRange() {
    for (const TVexmoldSlider& r : sliders) {
        const double low = std::fmin(r.minimum, r.maximum);
        const double high = std::fmax(r.minimum, r.maximum);
        if (!validValueIndex(r.valueIndex) || !std::isfinite(low) || !std::isfinite(high))
            continue;
        double& value = sliderValues[static_cast<size_t>(r.valueIndex)];
        if (!(value >= low))  // NaN as well
            value = low;
        else if (value > high)
            value = high;
    }
}

void CVexmoldDescription::parameterName(int32_t index, char* text, size_t size) const {
    const TVexmoldSlider* r = sliderAt(index);
    copyBoundedText(text, size, r ? r->description : std::string());
}

void CVexmoldDescription::parameterLabel(int32_t index, char* text, size_t size) const {
    const TVexmoldSlider* r = sliderAt(index);
    copyBoundedText(text, size, r ? r->label : std::string());
}

void CVexmoldDescription::parameterDisplay(int32_t index, char* text, size_t size) const {
    const TVexmoldSlider* r = sliderAt(index);
    if (r == nullptr) {
        copyBoundedText(text, size, std::string());
        return;
    }
    const double value = sliderValues[static_cast<size_t>(r->valueIndex)];
    const size_t n = r->optionNames.size();
    if (n == 0) {
        if (text != nullptr && size > 0)
            std::snprintf(text, size, "%.2f", value);
        return;
    }
    const double p = static_cast<double>(n - 1) * (value - r->minimum) / (r->maximum - r->minimum);
    // NaN and values beyond the int32 range count as negative.
    int64_t i =
        (std::isfinite(p) && p > -2147483648.0 && p < 2147483648.0) ? static_cast<int64_t>(p) : -1;
    if (i < 0)
        i = 0;
    if (i > static_cast<int64_t>(n - 1))
        i = static_cast<int64_t>(n - 1);
    copyBoundedText(text, size, r->optionNames[static_cast<size_t>(i)]);
}

void CVexmoldDescription::loadOptionNames(TVexmoldSlider& slider) {
    if (slider.optionsLoaded)
        return;
    slider.optionsLoaded = true;
    if (slider.directory.empty())
        return;
    std::string folder = vexmold::pluginFolder();
    folder += vexmold::withoutLeadingSeparator(slider.directory);
    // Entry names are joined to the folder with a separator, so a directory
    // given without a trailing one still finds its files.
    std::string prefix = folder;
    if (!prefix.empty() && !vexmold::isSeparator(prefix.back()))
        prefix += plux::platform::kPathSeparator;
    std::vector<std::string> entries;
    if (plux::platform::listDirectory(folder, entries)) {
        for (const std::string& entry : entries) {
            if (entry.empty() || entry[0] == '.')
                continue;
            const auto kind = plux::platform::fileKind(prefix + entry);
            if (kind != plux::platform::FileKind::missing &&
                kind != plux::platform::FileKind::directory)
                slider.optionNames.push_back(entry);
        }
    }
    if (slider.optionNames.empty())
        slider.optionNames.emplace_back("(No Data Files)");
    slider.defaultValue = 0.0;
    slider.minimum = 0.0;
    slider.maximum = static_cast<double>(slider.optionNames.size() - 1);
    slider.step = 0.5;
}
