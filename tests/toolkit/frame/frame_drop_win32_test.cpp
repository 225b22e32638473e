// Drag and drop: the frame's registered drop target driven with test data
// objects, the effect it reports and the items the drag container hands out.
#include "event_log_views.h"
#include "test_data_object_win32.h"
#include "test_windows_win32.h"

#include "gui/toolkit/droptarget_win32.h"
#include "gui/toolkit/textconversion_win32.h"
#include "gui/toolkit/windragcontainer_win32.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>

namespace frametest {
namespace {

std::string utf8(const std::wstring& text) {
    return wideToUtf8(text.c_str(), text.size());
}

std::wstring wide(const std::string& text) {
    return utf8ToWide(text.c_str());
}

// Every item of a container as (type, text), starting over with first().
std::vector<std::pair<int32_t, std::string>> items(CDragContainer& drag) {
    std::vector<std::pair<int32_t, std::string>> result;
    int32_t size = -1;
    int32_t type = -1;
    for (void* item = drag.first(size, type); item; item = drag.next(size, type))
        result.emplace_back(type,
                            std::string(static_cast<const char*>(item), static_cast<size_t>(size)));
    result.emplace_back(type, std::string());  // the type reported with the final null
    return result;
}

using Items = std::vector<std::pair<int32_t, std::string>>;

TEST(DropEffect, ReducedToCopyThenMoveThenLinkElseNone) {
    EXPECT_EQ(DWORD{DROPEFFECT_COPY},
              reduceDropEffect(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK));
    EXPECT_EQ(DWORD{DROPEFFECT_MOVE}, reduceDropEffect(DROPEFFECT_MOVE | DROPEFFECT_LINK));
    EXPECT_EQ(DWORD{DROPEFFECT_LINK}, reduceDropEffect(DROPEFFECT_LINK));
    EXPECT_EQ(DWORD{DROPEFFECT_NONE}, reduceDropEffect(DROPEFFECT_NONE));
    EXPECT_EQ(DWORD{DROPEFFECT_NONE}, reduceDropEffect(DROPEFFECT_SCROLL));
    EXPECT_EQ(DWORD{DROPEFFECT_MOVE}, reduceDropEffect(DROPEFFECT_SCROLL | DROPEFFECT_MOVE));
}

TEST(DropTarget, CountsReferencesAndAnswersItsInterfacesOnly) {
    auto* target = new CDropTarget(nullptr);
    EXPECT_EQ(0, target->getReferenceCount());
    void* object = nullptr;
    ASSERT_EQ(S_OK, target->QueryInterface(IID_IDropTarget, &object));
    EXPECT_EQ(static_cast<IDropTarget*>(target), object);
    EXPECT_EQ(1, target->getReferenceCount());
    ASSERT_EQ(S_OK, target->QueryInterface(IID_IUnknown, &object));
    EXPECT_EQ(static_cast<IDropTarget*>(target), object);
    object = target;
    EXPECT_EQ(E_NOINTERFACE, target->QueryInterface(IID_IDataObject, &object));
    EXPECT_EQ(nullptr, object);
    EXPECT_EQ(3u, target->AddRef());
    EXPECT_EQ(2u, target->Release());
    EXPECT_EQ(1u, target->Release());
    EXPECT_EQ(0u, target->Release());  // deleted
}

TEST(DropTarget, WithoutFrameOrDataTheEffectIsNone) {
    auto* target = new CDropTarget(nullptr);
    target->AddRef();
    TestDataObject* data = TestDataObject::withText(L"x");
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(S_OK, target->DragEnter(data, 0, POINTL{0, 0}, &effect));
    EXPECT_EQ(DWORD{DROPEFFECT_NONE}, effect);
    EXPECT_EQ(nullptr, CDropTarget::getCurrentDragContainer());
    EXPECT_EQ(0, data->mediaHandedOut());
    target->Release();
    data->Release();
}

// A frame whose view "a" covers it, with the cursor held over (50,40).
class FrameDrop : public ::testing::Test {
  protected:
    class DropFrame : public CFrame {
      public:
        using CFrame::CFrame;
        IDropTarget* target() const { return dropTarget; }
    };

    void SetUp() override {
        host = createHostWindow(nullptr, 20, 20, 300, 200);
        frame = new DropFrame(CRect(0, 0, 200, 100), host, nullptr);
        a = new EventView(CRect(0, 0, 200, 100), log, "a");
        frame->addView(a);
        a->forget();
        RECT screen = {};
        GetWindowRect(static_cast<HWND>(frame->getSystemWindow()), &screen);
        SetCursorPos(screen.left + 50, screen.top + 40);
        target = frame->target();
        ASSERT_NE(nullptr, target);
    }
    void TearDown() override {
        if (frame)
            frame->forget();
        DestroyWindow(host);
    }

    EventLog log;
    HWND host = nullptr;
    DropFrame* frame = nullptr;
    EventView* a = nullptr;
    IDropTarget* target = nullptr;
    POINTL point{0, 0};
};

TEST_F(FrameDrop, ActivationRegistersAndRevokesTheTarget) {
    EXPECT_TRUE(frame->isDropActive());
    EXPECT_TRUE(frame->setDropActive(false));
    EXPECT_FALSE(frame->isDropActive());
    EXPECT_EQ(nullptr, frame->target());
    EXPECT_TRUE(frame->setDropActive(false));
    EXPECT_TRUE(frame->setDropActive(true));
    EXPECT_NE(nullptr, frame->target());
}

TEST_F(FrameDrop, TextDragIsEnteredMovedAndLeft) {
    TestDataObject* data = TestDataObject::withText(L"Gr\u00fc\u00dfe \u2713");
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    EXPECT_EQ(S_OK, target->DragEnter(data, MK_LBUTTON, point, &effect));
    EXPECT_EQ(DWORD{DROPEFFECT_COPY}, effect);
    CDragContainer* drag = CDropTarget::getCurrentDragContainer();
    ASSERT_NE(nullptr, drag);
    EXPECT_EQ(drag, a->lastDrag);
    EXPECT_EQ(1, drag->getCount());
    EXPECT_EQ(CDragContainer::kText, drag->getType(0));
    // Once as UTF-8, then nothing; first() starts over.
    const std::string text = utf8(L"Gr\u00fc\u00dfe \u2713");
    EXPECT_EQ((Items{{CDragContainer::kUnicodeText, text}, {CDragContainer::kUnknown, ""}}),
              items(*drag));
    EXPECT_EQ((Items{{CDragContainer::kUnicodeText, text}, {CDragContainer::kUnknown, ""}}),
              items(*drag));

    effect = DROPEFFECT_MOVE | DROPEFFECT_LINK;
    EXPECT_EQ(S_OK, target->DragOver(MK_LBUTTON, point, &effect));
    EXPECT_EQ(DWORD{DROPEFFECT_MOVE}, effect);
    EXPECT_EQ(S_OK, target->DragLeave());
    EXPECT_EQ(nullptr, CDropTarget::getCurrentDragContainer());
    EXPECT_EQ((EventLog{"a dragenter 50,40 b0", "a dragmove 50,40 b0", "a dragleave 50,40 b0"}),
              log);
    EXPECT_EQ(0, data->outstandingMedia());
    EXPECT_EQ(1u, data->references());
    data->Release();
}

TEST_F(FrameDrop, SourcesAllowingOnlyMoveOrLinkGetThatEffect) {
    TestDataObject* data = TestDataObject::withText(L"t");
    for (DWORD allowed : {DWORD{DROPEFFECT_MOVE}, DWORD{DROPEFFECT_LINK}}) {
        DWORD effect = allowed;
        target->DragEnter(data, 0, point, &effect);
        EXPECT_EQ(allowed, effect);
        effect = allowed;
        target->DragOver(0, point, &effect);
        EXPECT_EQ(allowed, effect);
        target->DragLeave();
    }
    // A missing effect pointer is survived.
    target->DragEnter(data, 0, point, nullptr);
    target->DragOver(0, point, nullptr);
    target->DragLeave();
    data->Release();
}

TEST_F(FrameDrop, NullDataGivesNoEffectAndNoDrag) {
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(S_OK, target->DragEnter(nullptr, 0, point, &effect));
    EXPECT_EQ(DWORD{DROPEFFECT_NONE}, effect);
    // Without a drag the other notifications reach no view and accept nothing.
    effect = DROPEFFECT_LINK | DROPEFFECT_COPY;
    EXPECT_EQ(S_OK, target->DragOver(0, point, &effect));
    EXPECT_EQ(DWORD{DROPEFFECT_NONE}, effect);
    EXPECT_EQ(S_OK, target->DragLeave());
    effect = DROPEFFECT_MOVE;
    EXPECT_EQ(S_OK, target->Drop(nullptr, 0, point, &effect));
    EXPECT_EQ(DWORD{DROPEFFECT_NONE}, effect);
    EXPECT_TRUE(log.empty());
}

std::vector<std::pair<int32_t, std::string>> dropped;

TEST_F(FrameDrop, DroppedFilesReachTheViewUnderTheMouse) {
    TestDataObject* data = TestDataObject::withFiles(
        {L"C:\\music\\one.wav", L"C:\\music\\Gr\u00fc\u00dfe.txt", L"D:\\three"});
    a->onDropped = [](CDragContainer* drag) { dropped = items(*drag); };
    dropped.clear();
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->DragEnter(data, 0, point, &effect);
    CDragContainer* drag = CDropTarget::getCurrentDragContainer();
    ASSERT_NE(nullptr, drag);
    EXPECT_EQ(3, drag->getCount());
    EXPECT_EQ(CDragContainer::kFile, drag->getType(0));
    EXPECT_EQ(CDragContainer::kFile, drag->getType(2));
    EXPECT_EQ(CDragContainer::kUnknown, drag->getType(3));
    EXPECT_EQ(CDragContainer::kUnknown, drag->getType(-1));
    effect = DROPEFFECT_MOVE | DROPEFFECT_LINK;
    EXPECT_EQ(S_OK, target->Drop(data, 0, point, &effect));
    EXPECT_EQ(DWORD{DROPEFFECT_MOVE}, effect);  // the one effect, not the source's set
    EXPECT_EQ(nullptr, CDropTarget::getCurrentDragContainer());
    EXPECT_EQ((Items{{CDragContainer::kFile, "C:\\music\\one.wav"},
                     {CDragContainer::kFile, utf8(L"C:\\music\\Gr\u00fc\u00dfe.txt")},
                     {CDragContainer::kFile, "D:\\three"},
                     {CDragContainer::kUnknown, ""}}),
              dropped);
    EXPECT_EQ((EventLog{"a dragenter 50,40 b0", "a drop 50,40 b0", "a dragleave 50,40 b0"}), log);
    EXPECT_EQ(0, data->outstandingMedia());
    EXPECT_EQ(1u, data->references());
    data->Release();
}

TEST_F(FrameDrop, DropNoViewTakesTellsTheSourceNothingHappened) {
    TestDataObject* data = TestDataObject::withText(L"keep me");
    a->acceptsDrop = false;
    DWORD effect = DROPEFFECT_MOVE;
    target->DragEnter(data, 0, point, &effect);
    EXPECT_EQ(DWORD{DROPEFFECT_MOVE}, effect);
    effect = DROPEFFECT_MOVE;
    EXPECT_EQ(S_OK, target->Drop(data, 0, point, &effect));
    EXPECT_EQ(DWORD{DROPEFFECT_NONE}, effect);  // a moving source must not delete it
    EXPECT_EQ(1u, data->references());
    data->Release();
}

TEST_F(FrameDrop, EditorClosedDuringADragReleasesItsContainerAndData) {
    TestDataObject* data = TestDataObject::withFiles({L"C:\a.wav"});
    target->AddRef();  // as OLE holds it while the drag is over the window
    DWORD effect = DROPEFFECT_COPY;
    target->DragEnter(data, 0, point, &effect);
    ASSERT_NE(nullptr, CDropTarget::getCurrentDragContainer());
    frame->forget();
    frame = nullptr;
    EXPECT_EQ(nullptr, CDropTarget::getCurrentDragContainer());
    EXPECT_EQ(1u, data->references());
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(S_OK, target->Drop(data, 0, point, &effect));
    EXPECT_EQ(DWORD{DROPEFFECT_NONE}, effect);
    target->Release();
    data->Release();
}

TEST_F(FrameDrop, FailedAllocationEndsTheDragAndTheNextOneWorks) {
    TestDataObject* data = TestDataObject::withText(L"t");
    // The container, then the source's medium while the container reads it.
    for (int failing : {1, 2}) {
        DWORD effect = DROPEFFECT_COPY;
        failAllocation(failing);
        EXPECT_EQ(E_OUTOFMEMORY, target->DragEnter(data, 0, point, &effect));
        failAllocation(0);
        EXPECT_EQ(DWORD{DROPEFFECT_NONE}, effect);
        EXPECT_EQ(nullptr, CDropTarget::getCurrentDragContainer());
        EXPECT_EQ(1u, data->references()) << "allocation " << failing;
    }
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(S_OK, target->DragEnter(data, 0, point, &effect));
    EXPECT_EQ(DWORD{DROPEFFECT_COPY}, effect);
    EXPECT_EQ(S_OK, target->DragLeave());
    EXPECT_EQ(1u, data->references());
    data->Release();
}

TEST(DragContainer, TextWithoutTerminatorIsReadToTheEndOfItsBlockOnly) {
    TestDataObject* data = TestDataObject::withText(L"abc", false);
    auto* drag = new WinDragContainer(data);
    int32_t size = 0;
    int32_t type = 0;
    const auto* item = static_cast<const char*>(drag->first(size, type));
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(3, size);
    EXPECT_EQ(std::string("abc"), std::string(item));
    drag->forget();
    EXPECT_EQ(0, data->outstandingMedia());
    data->Release();
}

TEST(DragContainer, WithoutDataEveryRequestIsAnError) {
    auto* drag = new WinDragContainer(nullptr);
    EXPECT_EQ(0, drag->getCount());
    EXPECT_EQ(CDragContainer::kError, drag->getType(0));
    int32_t size = 5;
    int32_t type = 0;
    EXPECT_EQ(nullptr, drag->first(size, type));
    EXPECT_EQ(CDragContainer::kError, type);
    drag->forget();
}

// Files in a folder of its own under the temporary folder.
class Shortcuts : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"plux_frame_drop_" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder.c_str(), nullptr);
        CreateDirectoryW((folder + L"\\folder.with.dot").c_str(), nullptr);
        targetFile = folder + L"\\target file.txt";
        writeFile(targetFile, "target");
    }
    void TearDown() override {
        for (const auto& file : created)
            DeleteFileW(file.c_str());
        RemoveDirectoryW((folder + L"\\folder.with.dot").c_str());
        RemoveDirectoryW(folder.c_str());
        OleUninitialize();
    }
    void writeFile(const std::wstring& path, const char* content) {
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        WriteFile(file, content, static_cast<DWORD>(std::strlen(content)), &written, nullptr);
        CloseHandle(file);
        created.push_back(path);
    }
    void makeShortcut(const std::wstring& path, const std::wstring& to) {
        IShellLinkW* link = nullptr;
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IShellLinkW, reinterpret_cast<void**>(&link)));
        link->SetPath(to.c_str());
        IPersistFile* file = nullptr;
        ASSERT_EQ(S_OK, link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
        EXPECT_EQ(S_OK, file->Save(path.c_str(), TRUE));
        file->Release();
        link->Release();
        created.push_back(path);
    }
    static std::wstring longPath(const std::wstring& path) {
        wchar_t buffer[2048] = {};
        return GetLongPathNameW(path.c_str(), buffer, 2048) ? std::wstring(buffer) : path;
    }
    Items drop(const std::vector<std::wstring>& paths) {
        TestDataObject* data = TestDataObject::withFiles(paths);
        auto* drag = new WinDragContainer(data);
        Items result = items(*drag);
        drag->forget();
        EXPECT_EQ(0, data->outstandingMedia());
        data->Release();
        return result;
    }

    std::wstring folder;
    std::wstring targetFile;
    std::vector<std::wstring> created;
};

TEST_F(Shortcuts, ResolvedShortcutYieldsItsTarget) {
    if (folder.find(L'.') != std::wstring::npos)
        GTEST_SKIP() << "the temporary folder's path has a dot";
    const std::wstring shortcut = folder + L"\\Shortcut.LNK";
    makeShortcut(shortcut, targetFile);
    const Items result = drop({shortcut});
    ASSERT_EQ(2u, result.size());
    EXPECT_EQ(CDragContainer::kFile, result[0].first);
    EXPECT_EQ(0, _wcsicmp(longPath(targetFile).c_str(), longPath(wide(result[0].second)).c_str()))
        << result[0].second;
}

TEST_F(Shortcuts, UnresolvableShortcutYieldsItsOwnPath) {
    const std::wstring broken = folder + L"\\broken.lnk";
    writeFile(broken, "this is no shortcut");
    EXPECT_EQ((Items{{CDragContainer::kFile, utf8(broken)}, {CDragContainer::kUnknown, ""}}),
              drop({broken}));
}

TEST_F(Shortcuts, ShortcutInAFolderWithADotIsPassedOnUnresolved) {
    const std::wstring shortcut = folder + L"\\folder.with.dot\\inner.lnk";
    makeShortcut(shortcut, targetFile);
    const std::wstring plain = folder + L"\\notes.txt";
    EXPECT_EQ((Items{{CDragContainer::kFile, utf8(shortcut)},
                     {CDragContainer::kFile, utf8(plain)},
                     {CDragContainer::kUnknown, ""}}),
              drop({shortcut, plain}));
}

}  // namespace
}  // namespace frametest
