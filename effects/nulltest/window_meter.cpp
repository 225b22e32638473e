#include "effects/nulltest/window_meter.h"

#include "runtime/scriptvalue.h"

namespace nulltest {

using vexmold::finiteOrZero;

double meterDb(double level) {
    // The meter shows numbers only: NaN reads as silence, an infinity as 0.
    return finiteOrZero(std::isnan(level) ? kFloorDb : levelDb(level));
}

double meterBits(double db) {
    return finiteOrZero(std::fabs(db) / kDbPerBit);
}

double windowStepSeconds(double seconds) {
    constexpr double kSlack = 1e-9;
    if (!(seconds >= kMinWindowSeconds - kSlack && seconds <= kMaxWindowSeconds + kSlack))
        return 0.0;
    const double steps = std::round(seconds / kWindowStepSeconds);
    if (std::fabs(steps * kWindowStepSeconds - seconds) > kSlack)
        return 0.0;
    // The slider stores a whole number of steps times the step.
    return steps * kWindowStepSeconds;
}

double windowLengthFrames(double sampleRate, double seconds) {
    return finiteOrZero(sampleRate * seconds);
}

SignalReading readSignal(double sumSquares, double peak, double frames) {
    SignalReading r;
    r.rms = finiteOrZero(std::sqrt(std::fabs(WindowSums::clampedSum(sumSquares) / frames)));
    r.rmsDb = meterDb(r.rms);
    r.peakDb = meterDb(peak);
    r.rmsBits = meterBits(r.rmsDb);
    r.peakBits = meterBits(r.peakDb);
    return r;
}

WindowReadings closeWindow(WindowSums& s) {
    WindowReadings w;
    w.left = readSignal(s.sumLR[0], s.peakLR[0], s.frames);
    w.right = readSignal(s.sumLR[1], s.peakLR[1], s.frames);
    w.mid = readSignal(s.sumMS[0], s.peakMS[0], s.frames);
    w.side = readSignal(s.sumMS[1], s.peakMS[1], s.frames);
    s = WindowSums{};
    return w;
}

}  // namespace nulltest
