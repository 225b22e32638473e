// The read-only resource stream: exact Read/Seek answers, COM identity, Stat.
#include "gui/toolkit/resourcestream_win32.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <cstdint>

namespace VSTGUI {
namespace {

constexpr uint32_t kSize = 100;

class ResourceStreamTest : public ::testing::Test {
  protected:
    ResourceStreamTest() {
        for (uint32_t i = 0; i < kSize; ++i)
            bytes[i] = static_cast<uint8_t>(i);
        stream = new ResourceStream(bytes.data(), kSize);
    }
    ~ResourceStreamTest() override { stream->Release(); }

    HRESULT seek(int64_t move, DWORD origin, uint64_t* position = nullptr) {
        LARGE_INTEGER distance;
        distance.QuadPart = move;
        ULARGE_INTEGER reported;
        reported.QuadPart = 0xdeadbeef;
        const HRESULT result = stream->Seek(distance, origin, &reported);
        if (position)
            *position = reported.QuadPart;
        return result;
    }

    std::array<uint8_t, kSize> bytes{};
    ResourceStream* stream = nullptr;
};

TEST_F(ResourceStreamTest, ReadPastTheEndAnswersSFalseAndStaysPut) {
    ASSERT_EQ(seek(kSize - 5, STREAM_SEEK_SET), S_OK);
    uint8_t buffer[10] = {};
    ULONG read = 77;
    EXPECT_EQ(stream->Read(buffer, 10, &read), S_FALSE);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(buffer[0], 0);  // nothing copied
    EXPECT_EQ(stream->getPosition(), kSize - 5);

    EXPECT_EQ(stream->Read(buffer, 5, &read), S_OK);
    EXPECT_EQ(read, 5u);
    EXPECT_EQ(buffer[0], kSize - 5);
    EXPECT_EQ(buffer[4], kSize - 1);
    EXPECT_EQ(stream->getPosition(), kSize);
    // At the end, an empty read still succeeds; one more byte does not.
    EXPECT_EQ(stream->Read(buffer, 0, nullptr), S_OK);
    EXPECT_EQ(stream->Read(buffer, 1, nullptr), S_FALSE);
}

TEST_F(ResourceStreamTest, HugeCountsDoNotWrapAround) {
    ASSERT_EQ(seek(1, STREAM_SEEK_SET), S_OK);
    uint8_t buffer[4] = {};
    EXPECT_EQ(stream->Read(buffer, 0xffffffffu, nullptr), S_FALSE);
    EXPECT_EQ(stream->getPosition(), 1u);
    EXPECT_EQ(stream->Read(nullptr, 2, nullptr), STG_E_INVALIDPOINTER);
}

TEST_F(ResourceStreamTest, SeekAnswers) {
    uint64_t position = 0;
    EXPECT_EQ(seek(kSize - 1, STREAM_SEEK_SET, &position), S_OK);
    EXPECT_EQ(position, kSize - 1);
    EXPECT_EQ(seek(kSize, STREAM_SEEK_SET), S_FALSE);  // exactly the size
    EXPECT_EQ(seek(-1, STREAM_SEEK_SET), S_FALSE);
    EXPECT_EQ(stream->getPosition(), kSize - 1);

    ASSERT_EQ(seek(10, STREAM_SEEK_SET), S_OK);
    EXPECT_EQ(seek(5, STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position, 15u);
    EXPECT_EQ(seek(-15, STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position, 0u);
    EXPECT_EQ(seek(-1, STREAM_SEEK_CUR), S_FALSE);
    EXPECT_EQ(seek(kSize, STREAM_SEEK_CUR), S_FALSE);
    EXPECT_EQ(seek(INT64_MIN, STREAM_SEEK_CUR), S_FALSE);
    EXPECT_EQ(seek(INT64_MAX, STREAM_SEEK_CUR), S_FALSE);
    EXPECT_EQ(seek(0, STREAM_SEEK_END), S_FALSE);
    EXPECT_EQ(seek(-1, STREAM_SEEK_END), S_FALSE);
    EXPECT_EQ(seek(0, 3), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(stream->getPosition(), 0u);

    // A null out-position is allowed.
    LARGE_INTEGER distance;
    distance.QuadPart = 7;
    EXPECT_EQ(stream->Seek(distance, STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_EQ(stream->Revert(), S_OK);
    EXPECT_EQ(stream->getPosition(), 0u);
}

TEST_F(ResourceStreamTest, InterfacesAndReferenceCounting) {
    // {0C733A30-2A1C-11CE-ADE5-00AA0044773D}
    const IID sequential = {
        0x0c733a30, 0x2a1c, 0x11ce, {0xad, 0xe5, 0x00, 0xaa, 0x00, 0x44, 0x77, 0x3d}};
    // {0000000C-0000-0000-C000-000000000046}
    const IID streamIid = {
        0x0000000c, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    for (const IID& iid : {IID_IUnknown, streamIid, sequential}) {
        void* object = nullptr;
        EXPECT_EQ(stream->QueryInterface(iid, &object), S_OK);
        EXPECT_EQ(object, static_cast<IStream*>(stream));
        EXPECT_EQ(stream->Release(), 1u);
    }
    void* object = stream;
    EXPECT_EQ(stream->QueryInterface(IID_IPersist, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(stream->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(stream->AddRef(), 2u);
    EXPECT_EQ(stream->AddRef(), 3u);
    EXPECT_EQ(stream->Release(), 2u);
    EXPECT_EQ(stream->Release(), 1u);
}

TEST_F(ResourceStreamTest, StatReportsOnlyTheSize) {
    STATSTG statistics;
    std::memset(&statistics, 0xab, sizeof statistics);
    EXPECT_EQ(stream->Stat(&statistics, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(statistics.cbSize.QuadPart, kSize);
    EXPECT_EQ(statistics.pwcsName, nullptr);
    EXPECT_EQ(statistics.type, 0u);
    EXPECT_EQ(statistics.grfMode, 0u);
    EXPECT_EQ(statistics.mtime.dwLowDateTime, 0u);
    EXPECT_EQ(stream->Stat(nullptr, 0), STG_E_INVALIDPOINTER);
}

TEST_F(ResourceStreamTest, WritingAndTheRestAreNotImplemented) {
    ULARGE_INTEGER size;
    size.QuadPart = 1;
    ULONG written = 0;
    EXPECT_EQ(stream->Write("x", 1, &written), E_NOTIMPL);
    EXPECT_EQ(stream->SetSize(size), E_NOTIMPL);
    EXPECT_EQ(stream->CopyTo(nullptr, size, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(stream->Commit(0), E_NOTIMPL);
    EXPECT_EQ(stream->LockRegion(size, size, 0), E_NOTIMPL);
    EXPECT_EQ(stream->UnlockRegion(size, size, 0), E_NOTIMPL);
    IStream* copy = stream;
    EXPECT_EQ(stream->Clone(&copy), E_NOTIMPL);
    EXPECT_EQ(copy, nullptr);
}

TEST(ResourceStream, NullDataIsAnEmptyStream) {
    auto* stream = new ResourceStream(nullptr, 50);
    EXPECT_EQ(stream->getSize(), 0u);
    uint8_t byte = 0;
    EXPECT_EQ(stream->Read(&byte, 1, nullptr), S_FALSE);
    EXPECT_EQ(stream->Release(), 0u);
}

}  // namespace
}  // namespace VSTGUI
