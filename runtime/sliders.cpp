#include "runtime/sliders.h"

#include "runtime/scriptvalue.h"

double& CVexmoldSliders::slider(double number) {
    return sliderValues[static_cast<size_t>(vexmold::scriptIndex(number) & 127)];
}
