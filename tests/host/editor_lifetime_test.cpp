// The editors' lifetime as hosts stretch it, on both builds: requests out of
// order, a second open, the instance closed under an open editor, and a
// thousand open and close cycles that must leave nothing behind.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/host/host_window.h"
#include "tests/host/plugin_instance.h"

namespace {

class EditorLifetime : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override { fakehost::reset(); }
};

TEST_P(EditorLifetime, RequestsOutOfOrderAndTheInstanceClosedUnderAnOpenEditor) {
    void* host = hostwindow::hostWindow();
    PluginInstance p(GetParam());
    // Closed: idle, close and keys do nothing.
    EXPECT_EQ(p.dispatch(effEditIdle), 0);
    EXPECT_EQ(p.dispatch(effEditClose), 0);
    EXPECT_EQ(p.dispatch(effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
    // No parent window: answered, but no window anywhere.
    EXPECT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 1);
    EXPECT_EQ(p.dispatch(effEditIdle), 0);
    EXPECT_EQ(p.dispatch(effEditClose), 0);
    EXPECT_EQ(hostwindow::countChildren(), 0);

    p.start();
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, host), 1);
    void* first = hostwindow::editorWindow();
    ASSERT_NE(first, nullptr);
    // A second open replaces the first window instead of adding one.
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, host), 1);
    hostwindow::pumpMessages();
    EXPECT_EQ(hostwindow::countChildren(), 1);
    EXPECT_FALSE(hostwindow::windowExists(first));
    void* second = hostwindow::editorWindow();
    ASSERT_NE(second, nullptr);
    // The script view takes no keys.
    EXPECT_EQ(p.dispatch(effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(p.dispatch(effEditKeyUp, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(p.dispatch(effEditIdle), 0);
    hostwindow::pumpMessages();

    // effClose with the editor open takes its window with it.
    EXPECT_EQ(closeInstance(p.effect), 1);
    p.effect = nullptr;
    hostwindow::pumpMessages();
    EXPECT_FALSE(hostwindow::windowExists(second));
    EXPECT_EQ(hostwindow::countChildren(), 0);
}

// One editor session as a host runs it: open, a paint, an idle, close.
void openPaintAndClose(PluginInstance& p) {
    p.dispatch(effEditOpen, 0, 0, hostwindow::hostWindow());
    hostwindow::finishPaints(hostwindow::editorWindow());
    p.dispatch(effEditIdle);
    hostwindow::pumpMessages();
    p.dispatch(effEditClose);
    hostwindow::pumpMessages();
}

constexpr int kWarmUp = 50;
constexpr int kCycles = 1000;
constexpr size_t kMemoryTolerance = 64 * 1024;

TEST_P(EditorLifetime, AThousandOpenAndCloseCyclesLeaveNothingBehind) {
    PluginInstance p(GetParam());
    p.start();
    std::vector<float> in(512, 0.25f), out(512);
    p.process(in, in, out, out);
    for (int i = 0; i < kWarmUp; ++i)
        openPaintAndClose(p);
    const hostwindow::Usage before = hostwindow::measureUsage();
    for (int i = 0; i < kCycles; ++i)
        openPaintAndClose(p);
    const hostwindow::Usage after = hostwindow::measureUsage();
    std::printf("[editor lifetime] %s, %d cycles after %d: memory %zu -> %zu (%+lld)", GetParam(),
                kCycles, kWarmUp, before.memoryBytes, after.memoryBytes,
                static_cast<long long>(after.memoryBytes) -
                    static_cast<long long>(before.memoryBytes));
    ASSERT_EQ(after.counts.size(), before.counts.size());
    for (size_t i = 0; i < before.counts.size(); ++i) {
        std::printf(", %s %ld -> %ld", before.counts[i].first.c_str(), before.counts[i].second,
                    after.counts[i].second);
        EXPECT_EQ(after.counts[i].second, before.counts[i].second) << before.counts[i].first;
    }
    std::printf("\n");
    EXPECT_EQ(hostwindow::countChildren(), 0);
    ASSERT_GT(before.memoryBytes, 0u);
    EXPECT_LT(after.memoryBytes, before.memoryBytes + kMemoryTolerance);
}

INSTANTIATE_TEST_SUITE_P(Plugins, EditorLifetime, ::testing::Values("nulltest", "tonegen"));

}  // namespace
