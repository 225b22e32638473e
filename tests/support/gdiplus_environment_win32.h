// GDI+ started for the whole run of a test program that decodes pictures.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

namespace plux::testing_support {

class GdiplusEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token); }

  private:
    ULONG_PTR token = 0;
};

}  // namespace plux::testing_support
