// The question drawn in the game's window: answers by keyboard, mouse and pad, the
// guard against answering by accident, a close while it shows, and what it draws.
#include "platform/system/question_box.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/input/xinput.h"
#include "platform/system/system.h"
#include "virtual_pad.h"

namespace {

constexpr uint32_t OPEN = 10000;
constexpr uint32_t LATER = OPEN + QUESTION_GUARD_MS;
constexpr Uint8 GREY = 200;

// A pad the pad layer has taken up, with the controller support started around it.
struct PadSupport {
  PadSupport() { SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER); }
  ~PadSupport() {
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  }
};
struct QuestionPad : PadSupport, VirtualPad {
  QuestionPad() : VirtualPad(nullptr, "Question pad") {
    SDL_PumpEvents();
    XINPUT_STATE state{};
    XInputGetState(0, &state);
  }
  void StickX(Sint16 value) { Axis(SDL_CONTROLLER_AXIS_LEFTX, value); }
};

class QuestionBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS), 0) << SDL_GetError();
    window = SDL_CreateWindow("Zorbly Frondles", 0, 0, 1024, 768, SDL_WINDOW_RESIZABLE);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
    ASSERT_NE(renderer, nullptr) << SDL_GetError();
    // The game's last frame: plain grey, then its back buffer as the target again.
    SDL_SetRenderDrawColor(renderer, GREY, GREY, GREY, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    backBuffer = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                   1024, 768);
    ASSERT_NE(backBuffer, nullptr) << SDL_GetError();
    SDL_SetRenderTarget(renderer, backBuffer);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  }

  void TearDown() override {
    box.reset();
    if (backBuffer) SDL_DestroyTexture(backBuffer);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  }

  void Open() {
    box.reset();
    box = std::make_unique<QuestionBox>(window, renderer, "You died a zorbly death! Try again "
                                        "to prove your zorblyworth?", "ZORBLY FRONDLES", true, OPEN);
    ASSERT_TRUE(box->Ready());
    ASSERT_EQ(box->Step(OPEN), 0);
  }

  void Key(SDL_Scancode key, bool down, bool repeat = false, Uint16 modifiers = KMOD_NONE) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = SDL_GetWindowID(window);
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = key;
    event.key.keysym.sym = SDL_GetKeyFromScancode(key);
    event.key.keysym.mod = modifiers;
    SDL_PushEvent(&event);
  }
  void Tap(SDL_Scancode key) {
    Key(key, true);
    Key(key, false);
  }
  void Mouse(const SDL_Rect& where, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = SDL_GetWindowID(window);
    event.button.button = SDL_BUTTON_LEFT;
    event.button.x = where.x + where.w / 2;
    event.button.y = where.y + where.h / 2;
    SDL_PushEvent(&event);
  }
  void Click(const SDL_Rect& where) {
    Mouse(where, true);
    Mouse(where, false);
  }
  void WindowEvent(SDL_WindowEventID what) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(window);
    event.window.event = what;
    SDL_PushEvent(&event);
  }

  // The window's pixels, with the target handed back as it was.
  std::vector<uint32_t> Read(const SDL_Rect& rect) {
    std::vector<uint32_t> pixels(static_cast<size_t>(rect.w) * rect.h);
    SDL_Texture* target = SDL_GetRenderTarget(renderer);
    SDL_SetRenderTarget(renderer, nullptr);
    EXPECT_EQ(SDL_RenderReadPixels(renderer, &rect, SDL_PIXELFORMAT_ARGB8888, pixels.data(),
                                   rect.w * 4), 0);
    SDL_SetRenderTarget(renderer, target);
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
      {{SDL_SCANCODE_RIGHT, SDL_SCANCODE_RIGHT, SDL_SCANCODE_LEFT, SDL_SCANCODE_RETURN}, IDYES},
      {{SDL_SCANCODE_TAB, SDL_SCANCODE_RETURN}, IDNO},
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

TEST_F(QuestionBoxTest, ClicksLandOnTheDrawnButtonsAlsoInALetterboxedWindow) {
  for (const bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "wide window" : "picture-sized window");
    if (wide) {
      SDL_SetWindowSize(window, 1600, 768);
      SDL_PumpEvents();
    }
    Open();
    const SDL_Rect yes = box->ButtonInWindow(0);
    const SDL_Rect no = box->ButtonInWindow(1);
    ASSERT_GT(yes.w, 0);
    EXPECT_EQ(box->Layout().picture.x, wide ? (1600 - 1024) / 2 : 0);
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
  }
}

TEST_F(QuestionBoxTest, PadAnswersAndMovesTheChoice) {
  QuestionPad pad;
  ASSERT_TRUE(pad.Ready()) << SDL_GetError();
  // A press and its release, each taken in a pass of its own; the answer, if any.
  const auto press = [&](SDL_GameControllerButton button, uint32_t at) {
    pad.Button(button, true);
    const int answer = box->Step(at);
    pad.Button(button, false);
    return answer == 0 ? box->Step(at + 1) : answer;
  };
  Open();
  EXPECT_EQ(press(SDL_CONTROLLER_BUTTON_A, LATER), IDYES);
  Open();
  EXPECT_EQ(press(SDL_CONTROLLER_BUTTON_B, LATER), IDNO);
  Open();
  EXPECT_EQ(press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, LATER), 0);
  EXPECT_EQ(press(SDL_CONTROLLER_BUTTON_A, LATER + 10), IDNO);
  Open();
  pad.StickX(30000);
  EXPECT_EQ(box->Step(LATER), 0);
  pad.StickX(20000);  // still past the let-go line: no second move
  pad.StickX(0);
  EXPECT_EQ(box->Step(LATER + 1), 0);
  EXPECT_EQ(box->Chosen(), 1);
  pad.StickX(-30000);
  EXPECT_EQ(box->Step(LATER + 2), 0);
  EXPECT_EQ(box->Chosen(), 0);
  pad.StickX(0);
  EXPECT_EQ(press(SDL_CONTROLLER_BUTTON_A, LATER + 10), IDYES);
}

TEST_F(QuestionBoxTest, NothingCountsInTheFirstHalfSecondOrWhileHeldSinceBefore) {
  QuestionPad pad;
  ASSERT_TRUE(pad.Ready()) << SDL_GetError();
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
  EXPECT_EQ(box->Chosen(), 0);
  pad.Button(SDL_CONTROLLER_BUTTON_A, true);
  EXPECT_EQ(box->Step(LATER + 300), IDYES);
  pad.Button(SDL_CONTROLLER_BUTTON_A, false);

  // A fresh key press in the guard, let go after it, counts for nothing either.
  Open();
  Key(SDL_SCANCODE_N, true);
  EXPECT_EQ(box->Step(OPEN + 100), 0);
  Key(SDL_SCANCODE_N, false);
  EXPECT_EQ(box->Step(LATER), 0);
  Tap(SDL_SCANCODE_N);
  EXPECT_EQ(box->Step(LATER + 1), IDNO);
}

TEST_F(QuestionBoxTest, ClosingTheWindowEndsTheBoxAsNoAndSaysSo) {
  for (const bool quit : {false, true}) {
    SCOPED_TRACE(quit ? "quit request" : "window close");
    Open();
    if (quit) {
      SDL_Event event{};
      event.type = SDL_QUIT;
      SDL_PushEvent(&event);
    } else {
      WindowEvent(SDL_WINDOWEVENT_CLOSE);
    }
    // Even in the guard: a close is no accidental answer.
    EXPECT_EQ(box->Step(OPEN + 1), IDNO);
    EXPECT_TRUE(box->WindowClosed());
  }
  // A close queued just before the box opens is not lost on the way in, and what comes
  // after the answer is left for the game.
  box.reset();
  WindowEvent(SDL_WINDOWEVENT_CLOSE);
  box = std::make_unique<QuestionBox>(window, renderer, "Again?", "ZORBLY FRONDLES", true, OPEN);
  EXPECT_EQ(box->Step(OPEN + 1), IDNO);
  EXPECT_TRUE(box->WindowClosed());
  WindowEvent(SDL_WINDOWEVENT_CLOSE);
  box.reset();
  EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT), 1);
}

TEST_F(QuestionBoxTest, DrawsItsWordsAndButtonsOverTheDimmedPicture) {
  Open();
  const QuestionLayout& layout = box->Layout();
  // The picture behind is dimmed, not gone.
  const uint32_t behind = Pixel(5, 5);
  const uint32_t red = behind >> 16;
  EXPECT_GT(red, 40u);
  EXPECT_LT(red, GREY / 2u);
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

}  // namespace
