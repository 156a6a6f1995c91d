// The trace of a failed call: the exact debugger-output line, the question's text, and
// that the code comes back unchanged whatever the answer.
#include "diag/dx_trace.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/system/scripted_system.h"
#include "platform/system/system.h"

namespace {

constexpr HRESULT BUFFER_LOST = static_cast<HRESULT>(0x88780096u);
constexpr const char* QUESTION = "Do you want to debug the application?";

class DxTraceTest : public ::testing::Test {
 protected:
  void SetUp() override { previous = SetSystemDriver(&scripted); }
  void TearDown() override { SetSystemDriver(previous); }

  ScriptedSystem scripted;
  SystemDriver* previous = nullptr;
};

TEST_F(DxTraceTest, LineNamesFileCallAndCodeLeavesOutMissingPiecesAndIsCutToItsBuffers) {
  EXPECT_EQ(DXTraceA("directsound", 412, BUFFER_LOST, "Play", false), BUFFER_LOST);
  DXTraceA(nullptr, 7, BUFFER_LOST, "Lock", false);
  DXTraceA("directsound", 7, S_FALSE, nullptr, false);
  DXTraceA("directsound", 7, S_OK, "", false);
  DXTraceA(nullptr, 0, static_cast<HRESULT>(0x12345678u), nullptr, false);
  EXPECT_EQ(scripted.debugOutput,
            "directsound(412): Play hr=DSERR_BUFFERLOST (0x88780096)\n"
            "Lock hr=DSERR_BUFFERLOST (0x88780096)\n"
            "directsound(7): hr=S_FALSE (0x00000001)\n"
            "directsound(7): hr=S_OK (0x00000000)\n"
            "hr=Unknown (0x12345678)\n");
  EXPECT_TRUE(scripted.questions.empty());

  // A message without a terminator within 1,024 characters is left out.
  scripted.debugOutput.clear();
  const std::string fits(1023, 'm');
  DXTraceA("f", 1, E_FAIL, fits.c_str(), false);
  EXPECT_EQ(scripted.debugOutput, "f(1): " + fits + " hr=E_FAIL (0x80004005)\n");
  scripted.debugOutput.clear();
  const std::string tooLong(1024, 'm');
  DXTraceA("f", 1, E_FAIL, tooLong.c_str(), true);
  EXPECT_EQ(scripted.debugOutput, "f(1): hr=E_FAIL (0x80004005)\n");
  ASSERT_EQ(scripted.questions.size(), 1u);
  EXPECT_EQ(scripted.questions[0].text.find("Calling"), std::string::npos);

  scripted.debugOutput.clear();
  scripted.questions.clear();
  const std::string file(5000, 'f');
  const std::string message(1023, 'c');
  DXTraceA(file.c_str(), 3, E_FAIL, message.c_str(), true);
  // The output's prefix is cut to 2,999 characters, the box's file name to 259 and its
  // calling line to 1,023, which leaves out that line's break.
  EXPECT_EQ(scripted.debugOutput, file.substr(0, 2999) + message + " hr=E_FAIL (0x80004005)\n");
  ASSERT_EQ(scripted.questions.size(), 1u);
  EXPECT_EQ(scripted.questions[0].text, "File: " + file.substr(0, 259) +
                                            "\nLine: 3\nError Code: E_FAIL (0x80004005)\n" +
                                            "Calling: " + message.substr(0, 1014) + QUESTION);
}

TEST_F(DxTraceTest, BoxAsksAndNoReturnsTheCode) {
  scripted.answers = {IDNO, 0};
  EXPECT_EQ(DXTraceA("directsound", 42, BUFFER_LOST, "Play", true), BUFFER_LOST);
  // A box that cannot be shown counts as No.
  EXPECT_EQ(DXTraceA(nullptr, 42, E_INVALIDARG, nullptr, true), E_INVALIDARG);
  ASSERT_EQ(scripted.questions.size(), 2u);
  EXPECT_EQ(scripted.questions[0].text,
            "File: directsound\nLine: 42\nError Code: DSERR_BUFFERLOST (0x88780096)\n"
            "Calling: Play\n" +
                std::string(QUESTION));
  EXPECT_EQ(scripted.questions[0].caption, "Unexpected error encountered");
  EXPECT_EQ(scripted.questions[0].style, 0x14u);
  EXPECT_EQ(scripted.questions[1].text,
            "File: \nLine: 42\nError Code: E_INVALIDARG (0x80070057)\n" + std::string(QUESTION));
  // The line is written whatever the box does.
  EXPECT_EQ(
      scripted.debugOutput,
      "directsound(42): Play hr=DSERR_BUFFERLOST (0x88780096)\nhr=E_INVALIDARG (0x80070057)\n");
}

TEST_F(DxTraceTest, WideVariantWritesUtf8) {
  scripted.answers = {IDNO};
  const HRESULT code = static_cast<HRESULT>(0x8007001Eu);
  EXPECT_EQ(DXTraceW("son/é.cpp", 8, code, u"Créer ✓ \U0001D11E", true), code);
  EXPECT_EQ(
      scripted.debugOutput,
      "son/é.cpp(8): Créer ✓ \U0001D11E hr=ERROR_READ_FAULT & DIERR_INPUTLOST (0x8007001e)\n");
  ASSERT_EQ(scripted.questions.size(), 1u);
  EXPECT_EQ(scripted.questions[0].text,
            "File: son/é.cpp\nLine: 8\nError Code: ERROR_READ_FAULT & DIERR_INPUTLOST "
            "(0x8007001e)\nCalling: Créer ✓ \U0001D11E\n" +
                std::string(QUESTION));
  // A missing or overlong message is the narrow variant's check: both run one template.
}

}  // namespace
