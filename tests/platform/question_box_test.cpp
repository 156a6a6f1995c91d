// The question drawn in the game's window: answers by keyboard, mouse and pad, the
// guard against answering by accident, a close while it shows, and what it draws.
#include "platform/system/question_box.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/input/xinput.h"
#include "platform/system/system.h"
#include "pushed_event.h"
#include "virtual_pad.h"

namespace {

constexpr uint32_t OPEN = 10000;
constexpr uint32_t LATER = OPEN + QUESTION_GUARD_MS;
constexpr Uint8 GREY = 200;
constexpr Uint32 SUBSYSTEMS = SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_GAMECONTROLLER;

class QuestionBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_InitSubSystem(SUBSYSTEMS), 0) << SDL_GetError();
    window = SDL_CreateWindow("Zorbly Frondles", 0, 0, 1024, 768, SDL_WINDOW_RESIZABLE);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
    ASSERT_NE(renderer, nullptr) << SDL_GetError();
    // The game's last frame: plain grey, then its back buffer as the target again.
    SDL_SetRenderDrawColor(renderer, GREY, GREY, GREY, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    backBuffer =
        SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, 1024, 768);
    ASSERT_NE(backBuffer, nullptr) << SDL_GetError();
    SDL_SetRenderTarget(renderer, backBuffer);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  }

  void TearDown() override {
    box.reset();
    SDL_DestroyTexture(backBuffer);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_QuitSubSystem(SUBSYSTEMS);
  }

  void Open() {
    box.reset();
    box = std::make_unique<QuestionBox>(window, renderer,
                                        "You died a zorbly death! Try again "
                                        "to prove your zorblyworth?",
                                        "ZORBLY FRONDLES", true, OPEN);
    ASSERT_TRUE(box->Ready());
    ASSERT_EQ(box->Step(OPEN), 0);
  }

  void Key(SDL_Scancode key, bool down, bool repeat = false, Uint16 modifiers = KMOD_NONE) {
    PushEvent(down ? SDL_KEYDOWN : SDL_KEYUP, [&](SDL_Event& e) {
      e.key.windowID = SDL_GetWindowID(window);
      e.key.repeat = repeat;
      e.key.keysym = {key, SDL_GetKeyFromScancode(key), modifiers, 0};
    });
  }
  void Tap(SDL_Scancode key) {
    Key(key, true);
    Key(key, false);
  }
  void Mouse(const SDL_Rect& where, bool down) {
    PushEvent(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, [&](SDL_Event& e) {
      e.button.windowID = SDL_GetWindowID(window);
      e.button.button = SDL_BUTTON_LEFT;
      e.button.x = where.x + where.w / 2;
      e.button.y = where.y + where.h / 2;
    });
  }
  void Click(const SDL_Rect& where) {
    Mouse(where, true);
    Mouse(where, false);
  }
  // The window's close; with SDL_QUIT, a request to end the program.
  void Close(Uint32 type = SDL_WINDOWEVENT) {
    PushEvent(type, [&](SDL_Event& e) {
      e.window.windowID = SDL_GetWindowID(window);
      e.window.event = SDL_WINDOWEVENT_CLOSE;
    });
  }

  // The window's pixels. The box draws there and gives the target back when it closes.
  std::vector<uint32_t> Read(const SDL_Rect& rect) {
    std::vector<uint32_t> pixels(static_cast<size_t>(rect.w) * rect.h);
    SDL_SetRenderTarget(renderer, nullptr);
    EXPECT_EQ(
        SDL_RenderReadPixels(renderer, &rect, SDL_PIXELFORMAT_ARGB8888, pixels.data(), rect.w * 4),
        0);
    return pixels;
  }
  uint32_t Pixel(int x, int y) { return Read({x, y, 1, 1})[0] & 0xFFFFFF; }
  // Pixels of the rectangle in the text's cream (bright, red above blue).
  long CreamPixels(const SDL_Rect& rect) {
    const std::vector<uint32_t> pixels = Read(rect);
    return std::count_if(pixels.begin(), pixels.end(), [](uint32_t pixel) {
      const uint32_t r = (pixel >> 16) & 0xFF, b = pixel & 0xFF;
      return r > 220 && b > 150 && r > b;
    });
  }

  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* backBuffer = nullptr;
  std::unique_ptr<QuestionBox> box;
};

TEST_F(QuestionBoxTest, EveryKeyAnswersAsItShould) {
  struct Case {
    std::vector<SDL_Scancode> keys;
    int answer;
  };
  const std::vector<Case> cases = {
      {{SDL_SCANCODE_RETURN}, IDYES},
      {{SDL_SCANCODE_KP_ENTER}, IDYES},
      {{SDL_SCANCODE_Y}, IDYES},
      {{SDL_SCANCODE_N}, IDNO},
      {{SDL_SCANCODE_ESCAPE}, IDNO},
      {{SDL_SCANCODE_RIGHT, SDL_SCANCODE_RETURN}, IDNO},
      {{SDL_SCANCODE_TAB, SDL_SCANCODE_RETURN}, IDNO},
      {{SDL_SCANCODE_RIGHT, SDL_SCANCODE_RIGHT, SDL_SCANCODE_LEFT, SDL_SCANCODE_RETURN}, IDYES},
      {{SDL_SCANCODE_TAB, SDL_SCANCODE_TAB, SDL_SCANCODE_RETURN}, IDYES},
      // Space fires in the game; it answers nothing here.
      {{SDL_SCANCODE_SPACE, SDL_SCANCODE_N}, IDNO},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    Open();
    for (SDL_Scancode key : cases[i].keys) Tap(key);
    EXPECT_EQ(box->Step(LATER), cases[i].answer);
    EXPECT_FALSE(box->WindowClosed());
  }
  // Alt+Enter switches full screen at once and is no Enter.
  Open();
  Key(SDL_SCANCODE_RETURN, true, false, KMOD_LALT);
  EXPECT_EQ(box->Step(LATER), 0);
  EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
}

TEST(WrapWordsTest, FillsEachLineGreedilyAndBreaksWhereTheTextDoes) {
  // Ten pixels a character, a 70-pixel line: seven characters fit.
  const auto measure = [](const std::string& text) { return 10 * static_cast<int>(text.size()); };
  const struct {
    const char* text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {""}},
      {"one two three", {"one two", "three"}},
      {"a sauceful zorbly", {"a", "sauceful", "zorbly"}},  // too wide: a line of its own
      {"a\n\nb", {"a", "", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(WrapWords(c.text, 70, measure), c.lines) << c.text;
}

TEST_F(QuestionBoxTest, ThePointerChoosesWhereItIsDrawnAlsoInALetterboxedWindow) {
  SDL_SetWindowSize(window, 1600, 768);
  SDL_PumpEvents();
  Open();
  const SDL_Rect yes = box->ButtonInWindow(0);
  const SDL_Rect no = box->ButtonInWindow(1);
  ASSERT_GT(yes.w, 0);
  EXPECT_EQ(box->Layout().picture.x, (1600 - 1024) / 2);
  // A press on one button let go on the other is no click.
  Mouse(yes, true);
  Mouse(no, false);
  SDL_Rect outside = yes;
  outside.y -= 2 * yes.h;
  Click(outside);
  EXPECT_EQ(box->Step(LATER), 0);
  Click(no);
  EXPECT_EQ(box->Step(LATER + 1), IDNO);
  Open();
  Click(box->ButtonInWindow(0));
  EXPECT_EQ(box->Step(LATER), IDYES);
  // A pointer resting on No, reported as the window comes back under it, chooses nothing:
  // Enter takes Yes. Moved onto No, it chooses No.
  for (const int moved : {0, 3}) {
    Open();
    const SDL_Rect at = box->ButtonInWindow(1);
    PushEvent(SDL_MOUSEMOTION, [&](SDL_Event& e) {
      e.motion = {SDL_MOUSEMOTION, 0, SDL_GetWindowID(window), 0, 0, at.x + 4, at.y + 4, moved, 0};
    });
    Tap(SDL_SCANCODE_RETURN);
    EXPECT_EQ(box->Step(LATER), moved ? IDNO : IDYES) << moved;
  }
}

TEST_F(QuestionBoxTest, PadAnswersAndMovesTheChoice) {
  VirtualPad pad;
  ASSERT_TRUE(pad.Ready()) << SDL_GetError();
  ReadPad(0);  // taken up before the box opens
  const auto stickX = [&pad](Sint16 x) { pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, x); };
  // A press and its release, each taken in a pass of its own; the answer, if any.
  const auto press = [&](SDL_GameControllerButton button, uint32_t at) {
    pad.Button(button, true);
    const int answer = box->Step(at);
    pad.Button(button, false);
    return answer == 0 ? box->Step(at + 1) : answer;
  };
  // A alone answers Yes: the guard's test ends with it.
  Open();
  EXPECT_EQ(press(SDL_CONTROLLER_BUTTON_B, LATER), IDNO);
  Open();
  EXPECT_EQ(press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, LATER), 0);
  EXPECT_EQ(press(SDL_CONTROLLER_BUTTON_A, LATER + 10), IDNO);
  Open();
  stickX(30000);
  EXPECT_EQ(box->Step(LATER), 0);
  EXPECT_EQ(box->Chosen(), 1);
  stickX(-30000);
  EXPECT_EQ(box->Step(LATER + 1), 0);
  EXPECT_EQ(box->Chosen(), 0);
}

TEST_F(QuestionBoxTest, NothingCountsInTheFirstHalfSecondOrWhileHeldSinceBefore) {
  VirtualPad pad;
  ASSERT_TRUE(pad.Ready()) << SDL_GetError();
  ReadPad(0);  // taken up before the box opens
  // Pad A held as the box opens, Enter pressed and a click made during the guard.
  pad.Button(SDL_CONTROLLER_BUTTON_A, true);
  Open();
  Key(SDL_SCANCODE_RETURN, true);
  Click(box->ButtonInWindow(1));
  EXPECT_EQ(box->Step(LATER - 1), 0);
  // After the guard, still held: Enter repeats, A stays down; neither answers.
  Key(SDL_SCANCODE_RETURN, true, true);
  EXPECT_EQ(box->Step(LATER + 100), 0);
  Key(SDL_SCANCODE_RETURN, false);
  pad.Button(SDL_CONTROLLER_BUTTON_A, false);
  EXPECT_EQ(box->Step(LATER + 200), 0);
  pad.Button(SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_EQ(box->Step(LATER + 300), IDYES);
  pad.Button(SDL_CONTROLLER_BUTTON_A, false);
}

TEST_F(QuestionBoxTest, ClosingTheWindowEndsTheBoxAsNoAndSaysSo) {
  for (const Uint32 type : {SDL_WINDOWEVENT, SDL_QUIT}) {
    Open();
    Close(type);
    // Even in the guard: a close is no accidental answer.
    EXPECT_EQ(box->Step(OPEN + 1), IDNO) << type;
    EXPECT_TRUE(box->WindowClosed()) << type;
  }
  // A close queued just before the box opens is not lost on the way in, and what comes
  // after the answer is left for the game.
  box.reset();
  Close();
  box = std::make_unique<QuestionBox>(window, renderer, "Again?", "ZORBLY FRONDLES", true, OPEN);
  EXPECT_EQ(box->Step(OPEN + 1), IDNO);
  EXPECT_TRUE(box->WindowClosed());
  Close();
  box.reset();
  EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT), 1);
}

TEST_F(QuestionBoxTest, DrawsItsWordsAndButtonsOverTheDimmedPicture) {
  Open();
  const QuestionLayout& layout = box->Layout();
  // The picture behind is dimmed, not gone.
  const uint32_t behindRed = Pixel(5, 5) >> 16;
  EXPECT_GT(behindRed, 40u);
  EXPECT_LT(behindRed, GREY / 2u);
  // The caption, the text and each label are written.
  EXPECT_GT(CreamPixels(layout.caption), 50);
  EXPECT_GT(CreamPixels(layout.text), 200);
  ASSERT_GE(layout.text.h, 2 * 20) << "the question wraps to two lines at least";
  // Faded during the guard; then the chosen button (Yes) is lit, the other not, and
  // choosing No swaps them.
  const SDL_Rect& yes = layout.buttons[0];
  const SDL_Rect& no = layout.buttons[1];
  const uint32_t yesFaded = Pixel(yes.x + 6, yes.y + 6);
  EXPECT_EQ(box->Step(LATER), 0);
  const uint32_t yesFill = Pixel(yes.x + 6, yes.y + 6);
  const uint32_t noFill = Pixel(no.x + 6, no.y + 6);
  EXPECT_GT(yesFill >> 16, (yesFaded >> 16) + 30) << "not faded once the box listens";
  EXPECT_GT(yesFill >> 16, noFill >> 16) << "Yes is the chosen button when the box opens";
  Tap(SDL_SCANCODE_RIGHT);
  EXPECT_EQ(box->Step(LATER + 1), 0);
  EXPECT_EQ(Pixel(no.x + 6, no.y + 6), yesFill);
  // The box hands the game's back buffer back as the target.
  box.reset();
  EXPECT_EQ(SDL_GetRenderTarget(renderer), backBuffer);
}

// The start card: its block of lines over the dimmed picture, answered at once (no guard)
// by Space, a click anywhere or the pad's A or Start, ended by Esc, Back or a close; and a
// run's result noted above a question.
TEST_F(QuestionBoxTest, TheCardAndTheResultNoteAreDrawnAndTheCardAnswersAtOnce) {
  VirtualPad pad;
  ASSERT_TRUE(pad.Ready()) << SDL_GetError();
  ReadPad(0);
  const SDL_Rect anywhere{900, 700, 2, 2};
  const struct {
    std::function<void()> act;
    int answer;
  } ACTS[] = {{[&] { Tap(SDL_SCANCODE_SPACE); }, IDYES},
              {[&] { Click(anywhere); }, IDYES},
              {[&] { pad.Button(SDL_CONTROLLER_BUTTON_START, true); }, IDYES},
              {[&] { pad.Button(SDL_CONTROLLER_BUTTON_BACK, true); }, IDNO},
              {[&] { Tap(SDL_SCANCODE_ESCAPE); }, IDNO},
              {[&] { Close(); }, IDNO}};
  for (const auto& act : ACTS) {
    box =
        std::make_unique<QuestionBox>(window, renderer, "How to play\n\tkeys\tpad\nfire\tSpace\tA",
                                      "ZORBLY FRONDLES", BoxKind::Card, OPEN);
    ASSERT_EQ(box->Step(OPEN), 0);
    EXPECT_GT(CreamPixels(box->Layout().text), 150);
    EXPECT_LT(Pixel(5, 5) >> 16, GREY / 2u) << "the picture behind is dimmed";
    act.act();
    EXPECT_EQ(box->Step(OPEN + 1), act.answer);
    pad.Button(SDL_CONTROLLER_BUTTON_START, false);
    pad.Button(SDL_CONTROLLER_BUTTON_BACK, false);
  }
  box = std::make_unique<QuestionBox>(window, renderer, "Again?", "ZORBLY FRONDLES", BoxKind::YesNo,
                                      OPEN, "This run\t0:42.3\nFastest win\tNEW BEST");
  ASSERT_EQ(box->Step(OPEN), 0);
  const QuestionLayout& layout = box->Layout();
  EXPECT_LT(layout.note.y + layout.note.h, layout.panel.y) << "above the question";
  EXPECT_GT(CreamPixels(layout.note), 300);
}

}  // namespace
