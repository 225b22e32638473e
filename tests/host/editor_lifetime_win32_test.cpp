// The editors' lifetime as hosts stretch it: requests out of order, a second
// open, the instance closed under an open editor, and a thousand open and
// close cycles that must leave nothing behind.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/host/host_window_win32.h"
#include "tests/host/plugin_instance.h"

namespace {

class EditorLifetime : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override { fakehost::reset(); }
};

// The frame window class, "Plugin%p" of the plug-in module.
bool frameClassRegistered(const char* plugin) {
    const std::string dll = std::string(plugin) + ".dll";
    HMODULE module = GetModuleHandleA(dll.c_str());
    wchar_t name[64];
    wsprintfW(name, L"Plugin%p", static_cast<void*>(module));
    WNDCLASSEXW info = {};
    info.cbSize = sizeof info;
    return module && GetClassInfoExW(module, name, &info) != 0;
}

TEST_P(EditorLifetime, RequestsOutOfOrderAndTheInstanceClosedUnderAnOpenEditor) {
    HWND host = hostwindow::hostWindow();
    PluginInstance p(GetParam());
    // Closed: idle, close and keys do nothing.
    EXPECT_EQ(p.dispatch(effEditIdle), 0);
    EXPECT_EQ(p.dispatch(effEditClose), 0);
    EXPECT_EQ(p.dispatch(effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
    // No parent window: answered, but no window anywhere.
    EXPECT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 1);
    EXPECT_FALSE(frameClassRegistered(GetParam()));
    EXPECT_EQ(p.dispatch(effEditIdle), 0);
    EXPECT_EQ(p.dispatch(effEditClose), 0);

    p.start();
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, host), 1);
    HWND first = GetWindow(host, GW_CHILD);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(frameClassRegistered(GetParam()));
    // A second open replaces the first window instead of adding one.
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, host), 1);
    hostwindow::pumpMessages();
    EXPECT_EQ(hostwindow::countChildren(host), 1);
    EXPECT_FALSE(IsWindow(first));
    HWND second = GetWindow(host, GW_CHILD);
    ASSERT_NE(second, nullptr);
    // The script view takes no keys.
    EXPECT_EQ(p.dispatch(effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(p.dispatch(effEditKeyUp, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(p.dispatch(effEditIdle), 0);
    hostwindow::pumpMessages();

    // effClose with the editor open takes its window and the class with it.
    EXPECT_EQ(closeInstance(p.effect), 1);
    p.effect = nullptr;
    hostwindow::pumpMessages();
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(hostwindow::countChildren(host), 0);
    EXPECT_FALSE(frameClassRegistered(GetParam()));
}

// Waits while handling what other threads send to this one (the host window
// is this thread's; the editor thread's windows live inside it).
void waitHandlingSentMessages(HANDLE handle) {
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE) !=
           WAIT_OBJECT_0) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    }
}

// A host whose editor thread is not the thread that closes: the editor is
// opened on a thread of its own, which runs its messages until told to stop.
struct EditorThread {
    PluginInstance* plugin = nullptr;
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = nullptr;
    DWORD id = 0;
    HWND editor = nullptr;

    static DWORD WINAPI run(void* self) {
        auto& owner = *static_cast<EditorThread*>(self);
        owner.plugin->dispatch(effEditOpen, 0, 0, hostwindow::hostWindow());
        owner.editor = GetWindow(hostwindow::hostWindow(), GW_CHILD);
        SetEvent(owner.opened);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
        return 0;
    }
    explicit EditorThread(PluginInstance& p) : plugin(&p) {
        thread = CreateThread(nullptr, 0, run, this, 0, &id);
        waitHandlingSentMessages(opened);
    }
    ~EditorThread() {
        PostThreadMessageW(id, WM_QUIT, 0, 0);
        waitHandlingSentMessages(thread);
        CloseHandle(thread);
        CloseHandle(opened);
    }
};

TEST_P(EditorLifetime, ClosedFromAnotherThreadTheEditorGoesOnItsOwn) {
    HWND host = hostwindow::hostWindow();
    PluginInstance p(GetParam());
    p.start();
    {
        EditorThread owner(p);
        ASSERT_NE(owner.editor, nullptr);
        EXPECT_NE(GetWindowThreadProcessId(owner.editor, nullptr), GetCurrentThreadId());
        EXPECT_EQ(p.dispatch(effEditClose), 0);
        EXPECT_FALSE(IsWindow(owner.editor));  // only its own thread can destroy it
        EXPECT_FALSE(frameClassRegistered(GetParam()));
    }
    {
        EditorThread owner(p);
        ASSERT_NE(owner.editor, nullptr);
        EXPECT_EQ(closeInstance(p.effect), 1);
        p.effect = nullptr;
        EXPECT_FALSE(IsWindow(owner.editor));
    }
    EXPECT_EQ(hostwindow::countChildren(host), 0);
    EXPECT_FALSE(frameClassRegistered(GetParam()));
}

struct Usage {
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    SIZE_T privateBytes = 0;
};

Usage measure() {
    Usage usage;
    usage.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    usage.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters))
        // Wine leaves PrivateUsage at 0; the committed private memory is also
        // what PagefileUsage counts.
        usage.privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return usage;
}

// One editor session as a host runs it: open, a paint, an idle, close.
void openPaintAndClose(PluginInstance& p, HWND host) {
    p.dispatch(effEditOpen, 0, 0, host);
    UpdateWindow(GetWindow(host, GW_CHILD));
    p.dispatch(effEditIdle);
    hostwindow::pumpMessages();
    p.dispatch(effEditClose);
    hostwindow::pumpMessages();
}

constexpr int kWarmUp = 50;
constexpr int kCycles = 1000;
constexpr SIZE_T kPrivateBytesTolerance = 64 * 1024;

TEST_P(EditorLifetime, AThousandOpenAndCloseCyclesLeaveNothingBehind) {
    HWND host = hostwindow::hostWindow();
    PluginInstance p(GetParam());
    p.start();
    std::vector<float> in(512, 0.25f), out(512);
    p.process(in, in, out, out);
    for (int i = 0; i < kWarmUp; ++i)
        openPaintAndClose(p, host);
    const Usage before = measure();
    for (int i = 0; i < kCycles; ++i)
        openPaintAndClose(p, host);
    const Usage after = measure();
    std::printf(
        "[editor lifetime] %s, %d cycles after %d: GDI objects %lu -> %lu, USER objects "
        "%lu -> %lu, private bytes %zu -> %zu (%+lld)\n",
        GetParam(), kCycles, kWarmUp, static_cast<unsigned long>(before.gdiObjects),
        static_cast<unsigned long>(after.gdiObjects),
        static_cast<unsigned long>(before.userObjects),
        static_cast<unsigned long>(after.userObjects), before.privateBytes, after.privateBytes,
        static_cast<long long>(after.privateBytes) - static_cast<long long>(before.privateBytes));
    EXPECT_EQ(hostwindow::countChildren(host), 0);
    EXPECT_EQ(after.gdiObjects, before.gdiObjects);
    EXPECT_EQ(after.userObjects, before.userObjects);
    ASSERT_GT(before.privateBytes, 0u);
    EXPECT_LT(after.privateBytes, before.privateBytes + kPrivateBytesTolerance);
}

INSTANTIATE_TEST_SUITE_P(Plugins, EditorLifetime, ::testing::Values("nulltest", "tonegen"));

}  // namespace
