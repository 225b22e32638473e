// A sine and a cosine that compute the same bits on every system the
// plug-ins and tools run on. The C runtimes of Linux and Windows round std::sin differently for a few
// arguments, so a tone made with it differs by one step of the last bit
// between the two builds; this one uses only IEEE additions, subtractions and
// multiplications (the build turns off contraction into fused operations), so
// it rounds identically everywhere. Accurate to within 1 ulp of the true sine.
#pragma once

namespace vexmold {

// Exact argument reduction for |x| < 2^60; larger finite arguments (whose
// own spacing exceeds 2^7, so their sine carries no information) fall back to
// std::sin (std::cos). NaN and infinities give NaN; sin(-0) is -0.
double portableSin(double x);
// The cosine, the same way (cos(+-0) is 1).
double portableCos(double x);

}  // namespace vexmold
