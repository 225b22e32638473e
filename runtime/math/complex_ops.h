// One complex double in a register, with the few operations the transforms
// need. The SSE2 forms compute exactly the bits of the scalar forms: every
// lane does the same multiplies and one add, and a subtraction is an addition
// of the negated (sign-flipped) operand, which IEEE arithmetic rounds alike.
// No fused multiply-add anywhere.
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

inline Complex load(const double* p) { return {_mm_loadu_pd(p)}; }
inline void store(double* p, Complex a) { _mm_storeu_pd(p, a.v); }
inline Complex add(Complex a, Complex b) { return {_mm_add_pd(a.v, b.v)}; }
inline Complex sub(Complex a, Complex b) { return {_mm_sub_pd(a.v, b.v)}; }
inline Complex scale(Complex a, double f) { return {_mm_mul_pd(a.v, _mm_set1_pd(f))}; }

inline __m128d swapped(__m128d a) { return _mm_shuffle_pd(a, a, 1); }
inline __m128d negLow(__m128d a) { return _mm_xor_pd(a, _mm_set_pd(0.0, -0.0)); }
inline __m128d negHigh(__m128d a) { return _mm_xor_pd(a, _mm_set_pd(-0.0, 0.0)); }

// a + i b = (a.re - b.im, a.im + b.re)
inline Complex addTimesI(Complex a, Complex b) { return {_mm_add_pd(a.v, negLow(swapped(b.v)))}; }
// a - i b = (a.re + b.im, a.im - b.re)
inline Complex subTimesI(Complex a, Complex b) { return {_mm_add_pd(a.v, negHigh(swapped(b.v)))}; }
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

#else

struct Complex {
    double re, im;
};

inline Complex load(const double* p) { return {p[0], p[1]}; }
inline void store(double* p, Complex a) {
    p[0] = a.re;
    p[1] = a.im;
}
inline Complex add(Complex a, Complex b) { return {a.re + b.re, a.im + b.im}; }
inline Complex sub(Complex a, Complex b) { return {a.re - b.re, a.im - b.im}; }
inline Complex scale(Complex a, double f) { return {a.re * f, a.im * f}; }
inline Complex addTimesI(Complex a, Complex b) { return {a.re - b.im, a.im + b.re}; }
inline Complex subTimesI(Complex a, Complex b) { return {a.re + b.im, a.im - b.re}; }
inline Complex mul(Complex a, double c, double s) {
    return {a.re * c - a.im * s, a.im * c + a.re * s};
}
inline Complex mulConj(Complex a, double c, double s) {
    return {a.re * c + a.im * s, a.im * c - a.re * s};
}

#endif

} // namespace vexmold::cx
