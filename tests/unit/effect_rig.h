// One effect instance as a host leaves it after open and resume: wrapped in
// a CPlux with two inputs and outputs at the given sample rate.
#pragma once

#include "shell/plux.h"
#include "tests/support/minimal_host.h"

template <typename Effect> class EffectRig {
  public:
    explicit EffectRig(float sampleRate) : fx(new Effect) {
        plux = CPlux::create(fx, nullptr, ::plux::testing_support::minimalHost, 1, fx->parameterCount());
        fx->plux = plux;
        plux->setNumInputs(2);
        plux->setNumOutputs(2);
        plux->setSampleRate(sampleRate);
        fx->doReset();
        fx->doResume();
    }
    ~EffectRig() { delete plux; }
    EffectRig(const EffectRig&) = delete;
    EffectRig& operator=(const EffectRig&) = delete;

    Effect* fx;
    CPlux* plux = nullptr;
};
