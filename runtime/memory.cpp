#include "runtime/memory.h"

#include <cstddef>

#include "runtime/math/complexmultiply.h"
#include "runtime/math/fft.h"
#include "runtime/math/mdct.h"

namespace {

// Arithmetic shift by 16 written without shifting a negative value.
int32_t blockOf(int32_t index) {
    return index >= 0 ? index / CVexmoldMemory::kBlockLength
                      : -1 - (-(index + 1)) / CVexmoldMemory::kBlockLength;
}

int32_t offsetOf(int32_t index) {
    return static_cast<int32_t>(static_cast<uint32_t>(index) &
                                static_cast<uint32_t>(CVexmoldMemory::kBlockLength - 1));
}

// True when `doubles` consecutive values from index stay inside its block.
bool fitsInBlock(int32_t index, int64_t doubles) {
    return offsetOf(index) + doubles <= CVexmoldMemory::kBlockLength;
}

// The largest power of two not above size (size >= 1).
int32_t powerOfTwoFloor(int32_t size) {
    int32_t n = 1;
    while (n <= size / 2)
        n *= 2;
    return n;
}

int log2Of(int32_t n) {
    int b = 0;
    while ((int32_t{1} << b) < n)
        ++b;
    return b;
}

}  // namespace

double* CVexmoldMemory::resolve(int32_t index) {
    std::vector<double>& block = memoryBlocks[blockOf(index)];
    if (block.size() != static_cast<std::size_t>(kBlockLength))
        block.resize(static_cast<std::size_t>(kBlockLength));
    return block.data() + offsetOf(index);
}

void CVexmoldMemory::complexMultiply(int32_t destination, int32_t source, int32_t count) {
    const int32_t values = count & ~int32_t{1};
    if (values < 2)
        return;
    const int64_t doubles = 2 * int64_t{values};
    if (!fitsInBlock(source, doubles) || !fitsInBlock(destination, doubles))
        return;
    const double* from = resolve(source);
    double* to = resolve(destination);
    vexmold::complexMultiplyInPlace(to, from, values);
}

void CVexmoldMemory::fft(int32_t index, int32_t size, uint32_t mode) {
    if (size < 2)
        return;
    const int32_t n = powerOfTwoFloor(size);
    if (n < 16 || n > 32768)
        return;
    if (mode != vexmold::kFftForward && mode != vexmold::kFftInverse &&
        mode != vexmold::kFftToNaturalOrder && mode != vexmold::kFftToTransformOrder)
        return;
    if (!fitsInBlock(index, 2 * int64_t{n}))
        return;
    vexmold::fftDispatch(log2Of(n), resolve(index), mode);
}

void CVexmoldMemory::mdct(int32_t index, int32_t size, bool inverse) {
    if (size < 2)
        return;
    const int32_t n = powerOfTwoFloor(size);
    if (n < vexmold::kMdctMinSize || n > vexmold::kMdctMaxSize || !fitsInBlock(index, n))
        return;
    const vexmold::TMdctLookup* lookup = vexmold::mdctLookupFor(n);
    if (lookup == nullptr)
        return;
    double* buffer = resolve(index);
    double scratch[vexmold::kMdctMaxSize];
    if (inverse) {
        vexmold::mdctBackward(*lookup, buffer, scratch);
        vexmold::mdctWindow(*lookup, scratch, buffer);
    } else {
        vexmold::mdctWindow(*lookup, buffer, scratch);
        vexmold::mdctForward(*lookup, scratch, buffer);
    }
}
