// Memory running out inside any entry of the record: the entry answers 0,
// nothing reaches the host, and the instance goes on working. The program's
// global operator new fails on request.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <functional>
#include <new>
#include <vector>

#include "effects/nulltest/nulltest_effect.h"
#include "runtime/vexmold.h"
#include "plugin/assembly.h"
#include "tests/support/minimal_host.h"

namespace {
// Allocations left before one fails; negative: none fails.
std::atomic<long> gAllocationsLeft{-1};
}  // namespace

// The replacements below pair malloc with free; the compiler sees only the
// new-expressions and free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    long left = gAllocationsLeft.load();
    while (left >= 0 && !gAllocationsLeft.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 0)
        throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
// The other forms too, so that nothing a replaced form allocates is freed by
// a sanitizer's own form, or the other way round. The nothrow form goes
// through the counting one, as the library's does.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size) {
    return ::operator new(size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return ::operator new(size, tag);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace {

using plux::testing_support::minimalHost;

VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr) {
    return e->dispatcher(e, opcode, index, value, ptr, 0.0f);
}

// Runs op with its n-th allocation failing, n = 0, 1, ... until op gets
// through without reaching the failing one; answers how many runs failed.
int failEachAllocation(const std::function<VstIntPtr()>& op, VstIntPtr onSuccess,
                       const std::function<bool()>& usable) {
    for (long n = 0;; ++n) {
        gAllocationsLeft = n;
        const VstIntPtr answer = op();
        const bool failed = gAllocationsLeft.exchange(-1) < 0;
        if (!failed) {
            EXPECT_EQ(answer, onSuccess);
            return static_cast<int>(n);
        }
        EXPECT_EQ(answer, 0) << "allocation " << n;
        EXPECT_TRUE(usable()) << "after allocation " << n;
    }
}

TEST(ShellAllocation, EntriesAnswerZeroAndTheInstanceStaysUsable) {
    AEffect* e = assemblePlugin(minimalHost, new nulltest::TVexmoldEffect);
    ASSERT_NE(e, nullptr);
    dispatch(e, effOpen);
    dispatch(e, effMainsChanged, 0, 1);
    std::vector<float> state(65, 2.0f);
    state[0] = TVexmold::kStateMarker;
    const VstIntPtr size = static_cast<VstIntPtr>(state.size() * 4);
    auto usable = [&] {
        void* data = nullptr;
        return dispatch(e, effSetChunk, 0, size, state.data()) == size &&
               dispatch(e, effGetChunk, 0, 0, &data) == size && data != nullptr &&
               static_cast<const float*>(data)[1] == 2.0f;
    };

    EXPECT_GT(failEachAllocation([&] { return dispatch(e, effSetChunk, 0, size, state.data()); },
                                 size, usable),
              0);
    failEachAllocation(
        [&] {
            void* data = nullptr;
            return dispatch(e, effGetChunk, 0, 0, &data);
        },
        size, usable);
    char name[] = "a name too long to be kept inside the string";  // 23 characters kept
    EXPECT_GT(
        failEachAllocation([&] { return dispatch(e, effSetProgramName, 0, 0, name); }, 0, usable),
        0);
    failEachAllocation([&] { return dispatch(e, effOpen); }, 0, usable);
    failEachAllocation([&] { return dispatch(e, effMainsChanged, 0, 1); }, 0, usable);
    failEachAllocation(
        [&] {
            e->setParameter(e, 0, 0.25f);
            return static_cast<VstIntPtr>(e->getParameter(e, 0) * 4.0f + 0.5f);
        },
        1, usable);

    // A chunk of 2 GB: the copy cannot be made, the host hears 0.
    gAllocationsLeft = 0;
    EXPECT_EQ(dispatch(e, effSetChunk, 0, INT_MAX, state.data()), 0);
    gAllocationsLeft = -1;
    EXPECT_TRUE(usable());
    dispatch(e, effClose);
}

TEST(ShellAllocation, AssemblyWithoutMemoryThrowsNothing) {
    for (long n = 0;; ++n) {
        auto* script = new nulltest::TVexmoldEffect;
        gAllocationsLeft = n;
        AEffect* e = nullptr;
        // No instance, or one without its editor or drawing copy: both are answers.
        EXPECT_NO_THROW(e = assemblePlugin(minimalHost, script)) << "allocation " << n;
        const bool failed = gAllocationsLeft.exchange(-1) < 0;
        if (e != nullptr)
            dispatch(e, effClose);
        if (!failed) {
            EXPECT_NE(e, nullptr);
            break;
        }
    }
}

}  // namespace
