// The system driver over SDL: a real window, its events, the clock and message boxes.
#include <SDL.h>
#include <time.h>

#include <cstdio>
#include <string>

#include "platform/input/input_events.h"
#include "platform/system/debugger.h"
#include "platform/system/question_box.h"
#include "platform/system/sdl_window.h"
#include "platform/system/system.h"
#include "platform/system/system_driver.h"
#include "platform/system/verbose.h"
#include "platform/system/window.h"
#include "platform/system/window_identity.h"
#include "shared/screen.h"

namespace {

class SdlSystem : public SystemDriver {
 public:
  bool OpenWindow(const char* title, int width, int height) override {
    char line[256];
    AvoidUnreachableWayland();
    NameWindowClass();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
      std::snprintf(line, sizeof line, "cannot open the game window: no display (%s)",
                    SDL_GetError());
      ReportFatalError(line);
      return false;
    }
    // With no screen at all SDL falls back to its invisible drivers; a game nobody can see
    // is no success, unless those drivers were asked for (tests, recorded runs).
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    if (!ShowsOnScreen() &&
        !(requested && SDL_strcasecmp(requested, SDL_GetCurrentVideoDriver()) == 0)) {
      ReportFatalError("cannot open the game window: no display");
      SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
      return false;
    }
    // Hidden until its first picture is ready (the device shows it then): a window that
    // opened black or empty would show that until start-up is done.
    window_ =
        SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                         SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_HIDDEN);
    if (!window_) {
      std::snprintf(line, sizeof line, "cannot open the game window (%s)", SDL_GetError());
      ReportFatalError(line);
      SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
      return false;
    }
    if (ShowsOnScreen()) {
      GiveWindowIcon(window_);
      LetDesktopPlaceWindow(window_);
    }
    told_ = WindowState{};
    shownOnce_ = false;
    pendingCount_ = 0;
    return true;
  }

  void CloseWindow() override {
    if (!window_) return;
    SDL_DestroyWindow(window_);
    window_ = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  }

  bool NextMessage(uint32_t* message, uintptr_t* wParam, intptr_t* lParam) override {
    *wParam = 0;
    *lParam = 0;
    if (TakePending(message)) return true;
    if (!SDL_WasInit(SDL_INIT_EVENTS)) return false;
    SDL_Event event;
    if (!SDL_PollEvent(&event)) return false;
    if (event.type == SDL_MOUSEMOTION) {
      // Pending moves make one message, as the desktop coalesces them, so that a fast
      // mouse cannot bury a close request under the one-message-per-pass pump. The input
      // layer has seen every move as it arrived.
      SDL_Event later[64];
      while (SDL_PeepEvents(later, 64, SDL_GETEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION) > 0) {
      }
    }
    *message = Translate(event, wParam, lParam);
    if (event.type == SDL_WINDOWEVENT && window_ &&
        event.window.windowID == SDL_GetWindowID(window_)) {
      if (event.window.event == SDL_WINDOWEVENT_SHOWN) shownOnce_ = true;
      FollowWindowState();
      if (*message == MSG_OTHER) TakePending(message);
    }
    return true;
  }

  // Milliseconds of the monotonic clock, as the desktop's own timer counts from boot:
  // a wait can then sleep to the very moment a millisecond begins.
  uint32_t Milliseconds() override { return static_cast<uint32_t>(MonotonicNanoseconds() / MS); }

  bool WaitForMessage(uint32_t time) override {
    if (pendingCount_ > 0) return true;
    for (;;) {
      const bool events = SDL_WasInit(SDL_INIT_EVENTS) != 0;
      if (events) {
        SDL_PumpEvents();
        if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) return true;
      }
      const int64_t now = MonotonicNanoseconds();
      // The moment the clock's low 32 bits first read `time`.
      const int64_t nowMs = now / MS;
      const int64_t due = (nowMs + static_cast<int32_t>(time - static_cast<uint32_t>(nowMs))) * MS;
      if (due <= now) return false;
      // SDL's own wait sleeps on the window system's connection, so any event ends it,
      // but it may overrun its whole milliseconds; the last ones are slept to the moment.
      const int64_t eventWaitMs = (due - now - WAKE_MARGIN_NS) / MS;
      if (events && eventWaitMs >= 1) {
        SDL_WaitEventTimeout(nullptr, static_cast<int>(eventWaitMs));
      } else {
        const timespec until{static_cast<time_t>(due / (1000 * MS)),
                             static_cast<long>(due % (1000 * MS))};
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
      }
    }
  }

  bool IsEscapeDown() override {
    if (!window_) return false;
    // A tap between two ticks counts, as every key the game reads does.
    const bool pressed = TakeEscapePress();
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    return pressed || (keys && keys[SDL_SCANCODE_ESCAPE]);
  }

  int AskYesNo(const char* text, const char* caption, uint32_t style, bool* windowClosed) override {
    const SDL_MessageBoxButtonData yesNo[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDYES, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDNO, "No"},
    };
    const SDL_MessageBoxButtonData ok[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK,
         "OK"},
    };
    const bool askYesNo = (style & 0x0F) == MB_YESNO;
    // Drawn in the game's window where it can be: a system dialog takes no pad input and
    // may open behind a full-screen window. The box takes the window's events while it
    // shows: the game then hears what became of the window meanwhile, and the keys
    // pressed answered the box, not the game.
    if (window_ && SDL_GetRenderer(window_)) {
      const int answer =
          AskInWindow(window_, text, caption, askYesNo ? BoxKind::YesNo : BoxKind::Ok,
                      QuestionNote(), windowClosed);
      FollowWindowState();
      ForgetKeyPresses();
      if (answer != 0) return answer;
    }
    SDL_MessageBoxData box{};
    box.flags = (style & 0xF0) == MB_ICONERROR ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_WARNING;
    box.window = nullptr;  // the question has no owner window
    box.title = caption ? caption : "";
    box.message = text ? text : "";
    box.numbuttons = askYesNo ? 2 : 1;
    box.buttons = askYesNo ? yesNo : ok;
    int answer = 0;
    if (SDL_ShowMessageBox(&box, &answer) != 0) {
      std::fprintf(stderr, "zorbly-frondles: cannot show the question \"%s\" (%s); taken as No\n",
                   box.title, SDL_GetError());
      return 0;
    }
    if (windowClosed) *windowClosed = CloseIsPending();
    ForgetKeyPresses();
    // Closing the box without a button is no Yes.
    return answer < 0 ? (askYesNo ? IDNO : IDOK) : answer;
  }

  void ShowAnswer(const char* text, const char* caption, uint32_t style, int answer, bool,
                  uint32_t milliseconds) override {
    const bool askYesNo = (style & 0x0F) == MB_YESNO;
    if (window_ && ShowAnswerInWindow(window_, text, caption, askYesNo, QuestionNote(), answer,
                                      milliseconds)) {
      return;
    }
    std::printf("zorbly-frondles: \"%s\" answered %s\n", text, answer == IDYES ? "yes" : "no");
  }

  int ShowStartCard(const char* text, const char* caption, bool* windowClosed) override {
    // Without a window of ours to draw it in, the game starts as it did before the card.
    if (!window_ || !SDL_GetRenderer(window_)) return IDYES;
    const int answer = AskInWindow(window_, text, caption, BoxKind::Card, nullptr, windowClosed);
    FollowWindowState();
    ForgetKeyPresses();
    return answer == 0 ? IDYES : answer;
  }

  void DebugOutput(const char* text) override {
    // The sound layer's trace of failed calls is for a developer: what went wrong is also
    // said in a line of its own.
    if (!Verbose() && !IsDebuggerPresent()) return;
    std::fputs(text, stderr);
    std::fflush(stderr);
  }

  void ShowFailure(const char* line) override {
    if (!SDL_WasInit(SDL_INIT_VIDEO) || !ShowsOnScreen()) return;
    // The program ends behind the box: an empty window beside it would only puzzle.
    if (window_) SDL_HideWindow(window_);
    // The system's box does not wrap: lines of at most BOX_LINE characters, broken at spaces.
    std::string text = line;
    for (size_t start = 0; text.size() - start > BOX_LINE;) {
      const size_t space = text.rfind(' ', start + BOX_LINE);
      if (space == std::string::npos || space <= start) break;
      text[space] = '\n';
      start = space + 1;
    }
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, gameTitle, text.c_str(), nullptr) != 0) {
      std::fprintf(stderr, "zorbly-frondles: cannot show that in a message box (%s)\n",
                   SDL_GetError());
    }
  }

  SDL_Window* window() const { return window_; }

 private:
  static constexpr int64_t MS = 1000000;  // nanoseconds
  static constexpr int64_t WAKE_MARGIN_NS = 2 * MS;
  static constexpr size_t BOX_LINE = 72;

  static int64_t MonotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 * MS + now.tv_nsec;
  }

  // SDL's invisible drivers draw where no one sees.
  static bool ShowsOnScreen() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && SDL_strcasecmp(driver, "offscreen") != 0 &&
           SDL_strcasecmp(driver, "dummy") != 0;
  }

  // Without an X display and with nothing naming a Wayland one, SDL's Wayland driver can
  // only fail, and its library says so on standard error before the game can say that
  // there is no display. The other drivers are then tried as usual.
  static void AvoidUnreachableWayland() {
    const auto set = [](const char* name) {
      const char* value = SDL_getenv(name);
      return value && *value;
    };
    const char* runtime = SDL_getenv("XDG_RUNTIME_DIR");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    if (set("SDL_VIDEODRIVER") || set("DISPLAY") || set("WAYLAND_SOCKET") ||
        (runtime && runtime[0] == '/') || (wayland && wayland[0] == '/')) {
      return;
    }
    std::string others;
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
      const char* name = SDL_GetVideoDriver(i);
      if (SDL_strcasecmp(name, "wayland") == 0) continue;
      if (!others.empty()) others += ',';
      others += name;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, others.c_str());
  }

  struct WindowState {
    bool focused = false;
    bool minimised = false;
  };

  // What the window is now, from its flags rather than from the one event that said so
  // (SDL reports no restore when a window is mapped again by its own show, say).
  WindowState ObservedState() {
    const Uint32 flags = SDL_GetWindowFlags(window_);
    const bool hidden = (flags & SDL_WINDOW_HIDDEN) != 0;
    if (!hidden) shownOnce_ = true;
    WindowState now;
    now.focused = (flags & SDL_WINDOW_INPUT_FOCUS) != 0;
    // Hidden after it was first shown is as away as minimised; shown and with the
    // keyboard, it is neither, whatever flag a lost restore left behind.
    now.minimised =
        ((flags & SDL_WINDOW_MINIMIZED) || (hidden && shownOnce_)) && !(now.focused && !hidden);
    return now;
  }

  // Queues for the game whatever changed since it was last told: away, minimised before
  // focus; back, restored before focus.
  void FollowWindowState() {
    if (!window_) return;
    const WindowState now = ObservedState();
    if (now.minimised != told_.minimised) Queue(now.minimised ? MSG_MINIMIZED : MSG_RESTORED);
    if (now.focused != told_.focused) Queue(now.focused ? MSG_SETFOCUS : MSG_KILLFOCUS);
    told_ = now;
  }

  void Queue(uint32_t message) {
    if (pendingCount_ < PENDING_LIMIT) pending_[pendingCount_++] = message;
  }

  bool TakePending(uint32_t* message) {
    if (pendingCount_ == 0) return false;
    *message = pending_[0];
    for (int i = 1; i < pendingCount_; ++i) pending_[i - 1] = pending_[i];
    --pendingCount_;
    return true;
  }

  // A close of the game's window (or a request to end) queued while a box showed.
  bool CloseIsPending() const {
    if (!window_) return false;
    SDL_PumpEvents();
    if (SDL_HasEvent(SDL_QUIT)) return true;
    SDL_Event events[64];
    const int count = SDL_PeepEvents(events, 64, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
    for (int i = 0; i < count; ++i) {
      if (events[i].window.event == SDL_WINDOWEVENT_CLOSE) return true;
    }
    return false;
  }

  static uint32_t Translate(const SDL_Event& event, uintptr_t* wParam, intptr_t* lParam) {
    switch (event.type) {
      case SDL_QUIT:
        // The system asks the program to end (a signal, a session ending): as a close.
        return MSG_DESTROY;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        *wParam = static_cast<uintptr_t>(event.key.keysym.scancode);
        *lParam = event.key.repeat ? 1 : 0;
        return event.type == SDL_KEYDOWN ? MSG_KEYDOWN : MSG_KEYUP;
      case SDL_WINDOWEVENT:
        switch (event.window.event) {
          // Focus and minimising are told from the window's state (FollowWindowState).
          case SDL_WINDOWEVENT_CLOSE: return MSG_DESTROY;
          case SDL_WINDOWEVENT_EXPOSED: return MSG_PAINT;
          case SDL_WINDOWEVENT_SIZE_CHANGED:
            *wParam = static_cast<uintptr_t>(event.window.data1);
            *lParam = event.window.data2;
            return MSG_SIZE;
          default: return MSG_OTHER;
        }
      default: return MSG_OTHER;
    }
  }

  static constexpr int PENDING_LIMIT = 4;  // one change of each kind, twice over

  SDL_Window* window_ = nullptr;
  WindowState told_;        // what the game was last told of the window
  bool shownOnce_ = false;  // a window not yet shown is starting, not away
  uint32_t pending_[PENDING_LIMIT] = {};
  int pendingCount_ = 0;
};

SdlSystem& TheSdlSystem() {
  static SdlSystem system;
  return system;
}

}  // namespace

SystemDriver& SdlSystemDriver() { return TheSdlSystem(); }

SDL_Window* SdlGameWindow() {
  if (&CurrentSystemDriver() != &SdlSystemDriver()) return nullptr;
  return TheSdlSystem().window();
}
