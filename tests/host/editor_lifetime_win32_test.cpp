// The editors' lifetime in what only Windows has: the frame's window class,
// registered only while an editor is open, and an editor opened on a thread
// of its own and closed from another.
#include <windows.h>

#include <string>

#include "tests/host/host_window_win32.h"
#include "tests/host/plugin_instance.h"

namespace {

class EditorLifetimeWin32 : public ::testing::TestWithParam<const char*> {
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

TEST_P(EditorLifetimeWin32, TheFrameClassLivesWhileAnEditorIsOpen) {
    PluginInstance p(GetParam());
    // No parent window: no class either.
    EXPECT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 1);
    EXPECT_FALSE(frameClassRegistered(GetParam()));
    EXPECT_EQ(p.dispatch(effEditClose), 0);

    p.start();
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, hostwindow::hostWindow()), 1);
    EXPECT_TRUE(frameClassRegistered(GetParam()));
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, hostwindow::hostWindow()), 1);
    EXPECT_TRUE(frameClassRegistered(GetParam()));
    // effClose with the editor open takes the class with its window.
    EXPECT_EQ(closeInstance(p.effect), 1);
    p.effect = nullptr;
    hostwindow::pumpMessages();
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
        owner.editor = hostwindow::asHwnd(hostwindow::editorWindow());
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

TEST_P(EditorLifetimeWin32, ClosedFromAnotherThreadTheEditorGoesOnItsOwn) {
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
    EXPECT_EQ(hostwindow::countChildren(), 0);
    EXPECT_FALSE(frameClassRegistered(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Plugins, EditorLifetimeWin32, ::testing::Values("nulltest", "tonegen"));

}  // namespace
