// The effect's description (identity texts and numbers) and its slider list,
// with the operations that turn sliders into host parameters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/samples.h"

class CVexmoldDescription : public CVexmoldSamples {
  public:
    std::vector<TVexmoldSlider> sliders;
    std::string effectName;
    std::string productString;
    std::string vendorString;
    std::string programName;
    uint32_t vendorVersion = 0;
    uint32_t uniqueId = 0;
    uint32_t channelCount = 0;
    // Size in pixels of the editor the host wrapper attaches; 0 means none.
    int32_t editorWidth = 0;
    int32_t editorHeight = 0;

    // For the effect's constructor: stores the default value, appends the
    // record (its position is its host parameter number) and builds the
    // option list of a file-list slider.
    void declareSlider(TVexmoldSlider slider);

    // Host parameter operations. An index outside the slider list touches
    // nothing: reads answer 0 and texts come back empty.
    int32_t parameterCount() const { return static_cast<int32_t>(sliders.size()); }
    double getParameter(int32_t index) const;
    // Maps a normalised value to a slider value quantised to the step; runs
    // the slider section when the value changes. Returns true on a change.
    bool setParameter(int32_t index, double normalised);
    // Texts are written into text[0 .. size-1], cut to fit and terminated.
    void parameterName(int32_t index, char* text, size_t size) const;
    void parameterLabel(int32_t index, char* text, size_t size) const;
    void parameterDisplay(int32_t index, char* text, size_t size) const;

    // Brings each slider's value into its range, for values that did not
    // come through setParameter (a restored state may hold anything): the
    // host's parameters then read within 0 ... 1 and the slider section sees
    // a value the slider can take. A value inside the range stays exactly.
    void keepSliderValuesInRange();

  protected:
    CVexmoldDescription() = default;
    ~CVexmoldDescription() = default;

  private:
    const TVexmoldSlider* sliderAt(int32_t index) const;
    static void loadOptionNames(TVexmoldSlider& slider);
};

// Copies text into a buffer of `size` bytes, cut to size - 1 characters and
// terminated. Does nothing for a null buffer or a size of 0.
void copyBoundedText(char* destination, size_t size, const std::string& text);
