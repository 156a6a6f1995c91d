#pragma once
// The modal yes/no question drawn inside the game's window, over its last picture
// dimmed, in the game's own face and colours, with a note of our own above it when given
// (a run's result). Answered with the keyboard, the mouse or a gamepad; it pumps the
// window's events while it waits. The start card is the same box with a block of text
// and one button. For src/platform only.
#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Nothing is taken this long after the box opens: a player still firing answers nothing.
constexpr uint32_t QUESTION_GUARD_MS = 500;

enum class BoxKind { Ok, YesNo, Card };

struct QuestionLayout {
  SDL_Rect picture{};  // the game's picture in the window's output, letterboxed
  SDL_Rect panel{};
  SDL_Rect note{};     // the note's panel, empty without a note
  SDL_Rect caption{};  // the caption strip
  SDL_Rect text{};     // the wrapped question
  SDL_Rect buttons[2]{};
};

class QuestionBox {
 public:
  // `now` is the clock at opening, in milliseconds. The renderer's target and cursor
  // are given back on destruction.
  QuestionBox(SDL_Window* window, SDL_Renderer* renderer, const char* text, const char* caption,
              bool yesNo, uint32_t now)
      : QuestionBox(window, renderer, text, caption, yesNo ? BoxKind::YesNo : BoxKind::Ok, now) {}
  // A card takes Space, Enter, a click anywhere, the pad's A or Start for IDYES, and Esc,
  // the pad's Back or a close for IDNO, at once (no guard); its text is a block of lines
  // and columns (a tab starts the next), not wrapped.
  QuestionBox(SDL_Window* window, SDL_Renderer* renderer, const char* text, const char* caption,
              BoxKind kind, uint32_t now, const char* note = nullptr);
  ~QuestionBox();
  QuestionBox(const QuestionBox&) = delete;
  QuestionBox& operator=(const QuestionBox&) = delete;

  // False, after a one-line message, when the box has no face to write with.
  bool Ready() const { return font_ != nullptr; }
  // Takes every pending event and the pads' states, then draws when something changed.
  // Returns IDYES, IDNO or IDOK once answered (IDNO when the window was closed), else 0.
  int Step(uint32_t now);
  bool WindowClosed() const { return windowClosed_; }
  // Milliseconds until the box wants drawing again (its guard ends, or it is due anew).
  uint32_t NextDrawIn(uint32_t now) const;
  // Draws the box with the button of the answer chosen, as a played-back run shows it.
  void ShowChosen(int answer);
  int Chosen() const { return chosen_; }
  // In the renderer's output pixels.
  const QuestionLayout& Layout() const { return layout_; }
  // Where a button lies in the window's own coordinates, the ones mouse events carry.
  SDL_Rect ButtonInWindow(int index) const;

 private:
  struct Button {
    const char* label;
    int answer;
  };
  struct Line {
    std::string text;
    SDL_Texture* texture = nullptr;
    int width = 0;
    int height = 0;
  };

  bool Guarded(uint32_t now) const {
    return kind_ != BoxKind::Card && now - openedAt_ < QUESTION_GUARD_MS;
  }
  void HandleEvent(const SDL_Event& event, uint32_t now);
  void HandleKey(SDL_Scancode key, bool shift);
  void ReadPads(uint32_t now);
  void Move(int step);
  int Press(int index);
  int ButtonAt(int windowX, int windowY) const;
  void TakeSnapshot();
  // Lays the box out anew for the window's output size, when that has changed.
  void Relayout();
  int Px(int size) const;  // a size on the game's picture, in output pixels
  void MakeSnapshotTexture();
  void MakeMarker();  // the corner's label over the picture, when one is up
  int MakeLines();    // the caption, the wrapped text and the labels; the text's height
  void PlacePanel(int textHeight);
  void PlaceNote();
  void FreeTextures();
  Line MakeLine(const std::string& text, int pointSize);
  Line MakeBlock(const std::string& text, int pointSize);
  // The glyphs (white, tinted when drawn) as the line's texture, at least leastHeight
  // high; the surface is freed.
  void TakeGlyphs(SDL_Surface* glyphs, int leastHeight, Line* line);
  void Put(const Line& line, int x, int y, SDL_Color color);
  void Draw(bool guarded);

  SDL_Window* window_;
  SDL_Renderer* renderer_;
  std::string text_;
  std::string caption_;
  std::string note_;
  BoxKind kind_;
  std::vector<Button> buttons_;
  uint32_t openedAt_;

  int chosen_ = 0;
  int answer_ = 0;
  bool windowClosed_ = false;
  bool dirty_ = true;
  bool drawnGuarded_ = false;
  uint32_t lastDrawn_ = 0;
  int mousePressed_ = -1;  // the button a click began on
  uint32_t padHeld_[4] = {};
  bool padSeen_[4] = {};

  TTF_Font* font_ = nullptr;
  std::vector<uint32_t> snapshot_;  // the last picture, kept to outlive a device reset
  int snapshotWidth_ = 0;
  int snapshotHeight_ = 0;
  SDL_Texture* snapshotTexture_ = nullptr;
  SDL_Texture* marker_ = nullptr;
  SDL_Rect markerRect_{};  // in output pixels
  int pictureWidth_ = 1024;
  int pictureHeight_ = 768;
  int layoutOutputWidth_ = 0;
  int layoutOutputHeight_ = 0;
  Line captionLine_;
  std::vector<Line> lines_;
  std::vector<Line> labels_;
  Line noteLines_;
  QuestionLayout layout_;

  SDL_Texture* savedTarget_ = nullptr;
  int savedCursor_ = SDL_ENABLE;
};

// The question's lines, wrapped greedily at maxWidth as `measure` gives a text's width:
// a line break starts a new line, and a word wider than maxWidth gets a line of its own.
std::vector<std::string> WrapWords(const std::string& text, int maxWidth,
                                   const std::function<int(const std::string&)>& measure);

// Asks in the window on SDL's clock until answered, sleeping until an event comes or the
// box is due to be drawn again. 0 when the box cannot be drawn there, so that the caller
// falls back to the system's dialog.
int AskInWindow(SDL_Window* window, const char* text, const char* caption, BoxKind kind,
                const char* note, bool* windowClosed);
// Shows the question answered, taking no input, for about `milliseconds`; the window's
// events stay queued for the caller. False when the box cannot be drawn there.
bool ShowAnswerInWindow(SDL_Window* window, const char* text, const char* caption, bool yesNo,
                        const char* note, int answer, uint32_t milliseconds);
