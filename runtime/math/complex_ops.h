// One complex double in a register, with the few operations the transforms
// need. The SSE2 forms compute exactly the bits of the scalar forms: every
// lane does the same multiplies and one add or subtraction, and x - y is
// x + (-y) to the bit in IEEE arithmetic, so a sign may move into an operand
// (t + i u is t + (-u.im, u.re); a product by (c, -s) subtracts the one by
// (c, s)'s imaginary part). No fused multiply-add anywhere.
#pragma once

#if defined(__SSE2__) || defined(_M_X64)
#define VEXMOLD_COMPLEX_SSE2 1
#include <emmintrin.h>
#endif

namespace vexmold::cx {

#ifdef VEXMOLD_COMPLEX_SSE2

struct Complex {
    __m128d v;
};

inline Complex load(const double* p) {
    return {_mm_loadu_pd(p)};
}
inline void store(double* p, Complex a) {
    _mm_storeu_pd(p, a.v);
}
inline Complex add(Complex a, Complex b) {
    return {_mm_add_pd(a.v, b.v)};
}
inline Complex sub(Complex a, Complex b) {
    return {_mm_sub_pd(a.v, b.v)};
}

inline __m128d swapped(__m128d a) {
    return _mm_shuffle_pd(a, a, 1);
}
inline __m128d negLow(__m128d a) {
    return _mm_xor_pd(a, _mm_set_pd(0.0, -0.0));
}
inline __m128d negHigh(__m128d a) {
    return _mm_xor_pd(a, _mm_set_pd(-0.0, 0.0));
}

// i a = (-a.im, a.re)
inline Complex timesI(Complex a) {
    return {negLow(swapped(a.v))};
}
// -i a = (a.im, -a.re)
inline Complex timesMinusI(Complex a) {
    return {negHigh(swapped(a.v))};
}
// a (c + i s) = (a.re c - a.im s, a.im c + a.re s)
inline Complex mul(Complex a, double c, double s) {
    return {_mm_add_pd(_mm_mul_pd(a.v, _mm_set1_pd(c)),
                       negLow(_mm_mul_pd(swapped(a.v), _mm_set1_pd(s))))};
}
// a (c - i s) = (a.re c + a.im s, a.im c - a.re s)
inline Complex mulConj(Complex a, double c, double s) {
    return {_mm_add_pd(_mm_mul_pd(a.v, _mm_set1_pd(c)),
                       negHigh(_mm_mul_pd(swapped(a.v), _mm_set1_pd(s))))};
}

// A factor c + i s prepared for several products: (c, c) and (-s, s).
struct Twiddle {
    __m128d cc, ss;
};
inline Twiddle twiddle(double c, double s) {
    return {_mm_set1_pd(c), negLow(_mm_set1_pd(s))};
}
// From (c, s) in memory; swappedTwiddle: the factor s + i c.
inline Twiddle twiddle(const double* cs) {
    const __m128d v = _mm_loadu_pd(cs);
    return {_mm_unpacklo_pd(v, v), negLow(_mm_unpackhi_pd(v, v))};
}
inline Twiddle swappedTwiddle(const double* cs) {
    const __m128d v = _mm_loadu_pd(cs);
    return {_mm_unpackhi_pd(v, v), negLow(_mm_unpacklo_pd(v, v))};
}
// a (c + i s): (a.re c + a.im (-s), a.im c + a.re s)
inline Complex mul(Complex a, Twiddle w) {
    return {_mm_add_pd(_mm_mul_pd(a.v, w.cc), _mm_mul_pd(swapped(a.v), w.ss))};
}
// a (c - i s): (a.re c - a.im (-s), a.im c - a.re s)
inline Complex mulConj(Complex a, Twiddle w) {
    return {_mm_sub_pd(_mm_mul_pd(a.v, w.cc), _mm_mul_pd(swapped(a.v), w.ss))};
}

#else

struct Complex {
    double re, im;
};

inline Complex load(const double* p) {
    return {p[0], p[1]};
}
inline void store(double* p, Complex a) {
    p[0] = a.re;
    p[1] = a.im;
}
inline Complex add(Complex a, Complex b) {
    return {a.re + b.re, a.im + b.im};
}
inline Complex sub(Complex a, Complex b) {
    return {a.re - b.re, a.im - b.im};
}
inline Complex timesI(Complex a) {
    return {-a.im, a.re};
}
inline Complex timesMinusI(Complex a) {
    return {a.im, -a.re};
}
inline Complex mul(Complex a, double c, double s) {
    return {a.re * c - a.im * s, a.im * c + a.re * s};
}
inline Complex mulConj(Complex a, double c, double s) {
    return {a.re * c + a.im * s, a.im * c - a.re * s};
}

struct Twiddle {
    double c, s;
};
inline Twiddle twiddle(double c, double s) {
    return {c, s};
}
inline Twiddle twiddle(const double* cs) {
    return {cs[0], cs[1]};
}
inline Twiddle swappedTwiddle(const double* cs) {
    return {cs[1], cs[0]};
}
inline Complex mul(Complex a, Twiddle w) {
    return mul(a, w.c, w.s);
}
inline Complex mulConj(Complex a, Twiddle w) {
    return mulConj(a, w.c, w.s);
}

#endif

}  // namespace vexmold::cx
