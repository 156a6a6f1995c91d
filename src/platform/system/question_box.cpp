#include "platform/system/question_box.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/gfx/font_face.h"
#include "platform/gfx/screen_label.h"
#include "platform/gfx/text_block.h"
#include "platform/gfx/window_picture.h"
#include "platform/input/xinput.h"
#include "platform/system/system.h"

namespace {

// The game's look: dark wood, sauce red, cheese cream.
constexpr SDL_Color WOOD{52, 30, 18, 255};
constexpr SDL_Color WOOD_DARK{30, 17, 10, 255};
constexpr SDL_Color SAUCE{178, 34, 24, 255};
constexpr SDL_Color SAUCE_DARK{96, 22, 16, 255};
constexpr SDL_Color CREAM{250, 232, 196, 255};
constexpr SDL_Color CREAM_DIM{190, 160, 120, 255};
constexpr Uint8 DIM = 100;      // the picture behind the box, out of 255
constexpr int GUARD_FADE = 60;  // percent of the panel's wood in the buttons while guarded

// Sizes on the game's 1024 x 768 picture; scaled with it to the window's output.
constexpr int PANEL_WIDTH = 640;
constexpr int PADDING = 28;
constexpr int CAPTION_HEIGHT = 54;
constexpr int CAPTION_POINTS = 28;
constexpr int TEXT_POINTS = 24;
constexpr int LABEL_POINTS = 26;
constexpr int BUTTON_WIDTH = 160;
constexpr int BUTTON_HEIGHT = 56;
constexpr int BUTTON_GAP = 48;
constexpr int BORDER = 4;
constexpr int CARD_POINTS = 17;  // the start card's block
constexpr int NOTE_POINTS = 22;
constexpr int NOTE_GAP = 20;  // between the note's panel and the question's
constexpr int MARGIN = 16;    // the least room left around a panel in the picture

// Sticks count as pressed past half way and as let go below a quarter.
constexpr int STICK_PRESS = 16384;
constexpr int STICK_RELEASE = 8192;
constexpr uint32_t STICK_LEFT = 1u << 16;
constexpr uint32_t STICK_RIGHT = 1u << 17;

// Content the window may have lost is drawn again at least this often.
constexpr uint32_t REDRAW_MS = 250;

void Fill(SDL_Renderer* renderer, const SDL_Rect& rect, SDL_Color color) {
  SDL_SetRenderDrawColor(renderer, color.r, color.g, color.b, color.a);
  SDL_RenderFillRect(renderer, &rect);
}

SDL_Rect Inset(const SDL_Rect& rect, int by) {
  return SDL_Rect{rect.x + by, rect.y + by, std::max(0, rect.w - 2 * by),
                  std::max(0, rect.h - 2 * by)};
}

SDL_Color Faded(SDL_Color color) {
  const auto mix = [](Uint8 from, Uint8 to) {
    return static_cast<Uint8>((from * (100 - GUARD_FADE) + to * GUARD_FADE) / 100);
  };
  return SDL_Color{mix(color.r, WOOD.r), mix(color.g, WOOD.g), mix(color.b, WOOD.b), color.a};
}

bool Inside(const SDL_Rect& rect, int x, int y) {
  return x >= rect.x && y >= rect.y && x < rect.x + rect.w && y < rect.y + rect.h;
}

}  // namespace

QuestionBox::QuestionBox(SDL_Window* window, SDL_Renderer* renderer, const char* text,
                         const char* caption, BoxKind kind, uint32_t now, const char* note)
    : window_(window),
      renderer_(renderer),
      text_(text ? text : ""),
      caption_(caption ? caption : ""),
      note_(note ? note : ""),
      kind_(kind),
      openedAt_(now) {
  switch (kind) {
    case BoxKind::YesNo: buttons_ = {{"Yes", IDYES}, {"No", IDNO}}; break;
    case BoxKind::Ok: buttons_ = {{"OK", IDOK}}; break;
    case BoxKind::Card: buttons_ = {{"Play", IDYES}}; break;
  }
  savedTarget_ = SDL_GetRenderTarget(renderer_);
  if (savedTarget_)
    SDL_QueryTexture(savedTarget_, nullptr, nullptr, &pictureWidth_, &pictureHeight_);

  FontFile file;
  if (!FindFontFace(ParseFaceName("Arial Bold", 0, false), &file)) {
    std::fprintf(stderr, "zorbly-frondles: no face to write the question with\n");
    return;
  }
  if (TTF_Init() != 0) {
    std::fprintf(stderr, "zorbly-frondles: cannot start the font renderer (%s)\n", TTF_GetError());
    return;
  }
  font_ = TTF_OpenFontIndex(file.path.c_str(), TEXT_POINTS, file.index);
  if (!font_) {
    std::fprintf(stderr, "zorbly-frondles: cannot open the face %s (%s)\n", file.path.c_str(),
                 TTF_GetError());
    TTF_Quit();
    return;
  }
  if (file.addBold) TTF_SetFontStyle(font_, TTF_STYLE_BOLD);

  TakeSnapshot();
  savedCursor_ = SDL_ShowCursor(SDL_QUERY);
  SDL_ShowCursor(SDL_ENABLE);
  // Alt+Enter switches at once here, not at the device's next present.
  WatchFullScreenKey(true);

  // Pads already held count only once let go.
  for (uint32_t pad = 0; pad < XUSER_MAX_COUNT; ++pad) {
    XINPUT_STATE state{};
    padSeen_[pad] = XInputGetState(pad, &state) == ERROR_SUCCESS;
    if (!padSeen_[pad]) continue;
    padHeld_[pad] = state.Gamepad.wButtons;
    if (state.Gamepad.sThumbLX <= -STICK_RELEASE) padHeld_[pad] |= STICK_LEFT;
    if (state.Gamepad.sThumbLX >= STICK_RELEASE) padHeld_[pad] |= STICK_RIGHT;
  }
}

QuestionBox::~QuestionBox() {
  if (!font_) return;
  WatchFullScreenKey(false);
  SDL_ShowCursor(savedCursor_);
  FreeTextures();
  TTF_CloseFont(font_);
  TTF_Quit();
  SDL_SetRenderTarget(renderer_, savedTarget_);
}

void QuestionBox::TakeSnapshot() {
  // The device keeps the presented picture where it can be read; the window's own buffer
  // after a present holds what the driver pleases, so it is only the fallback.
  SDL_Texture* picture = LastPresentedPicture(renderer_);
  SDL_Rect area{0, 0, pictureWidth_, pictureHeight_};
  if (picture) {
    SDL_QueryTexture(picture, nullptr, nullptr, &area.w, &area.h);
    // A device drawing in memory leaves the window's renderer without a target.
    if (!savedTarget_) {
      pictureWidth_ = area.w;
      pictureHeight_ = area.h;
    }
  } else {
    int outputWidth = 0;
    int outputHeight = 0;
    if (SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight) != 0 ||
        outputWidth <= 0 || outputHeight <= 0) {
      return;
    }
    area = LetterboxRect(outputWidth, outputHeight, pictureWidth_, pictureHeight_);
  }
  SDL_SetRenderTarget(renderer_, picture);
  snapshot_.resize(static_cast<size_t>(area.w) * area.h);
  const int read = SDL_RenderReadPixels(renderer_, picture ? nullptr : &area,
                                        SDL_PIXELFORMAT_ARGB8888, snapshot_.data(), area.w * 4);
  SDL_SetRenderTarget(renderer_, nullptr);
  if (read != 0) {
    // A plain dark backdrop then; the question matters, not the picture.
    std::fprintf(stderr, "zorbly-frondles: the question shows without the game's picture (%s)\n",
                 SDL_GetError());
    snapshot_.clear();
    return;
  }
  snapshotWidth_ = area.w;
  snapshotHeight_ = area.h;
}

void QuestionBox::FreeTextures() {
  if (snapshotTexture_) SDL_DestroyTexture(snapshotTexture_);
  snapshotTexture_ = nullptr;
  if (marker_) SDL_DestroyTexture(marker_);
  marker_ = nullptr;
  if (captionLine_.texture) SDL_DestroyTexture(captionLine_.texture);
  captionLine_ = Line{};
  for (Line& line : lines_) {
    if (line.texture) SDL_DestroyTexture(line.texture);
  }
  lines_.clear();
  for (Line& label : labels_) {
    if (label.texture) SDL_DestroyTexture(label.texture);
  }
  labels_.clear();
  if (noteLines_.texture) SDL_DestroyTexture(noteLines_.texture);
  noteLines_ = Line{};
  layoutOutputWidth_ = 0;
  layoutOutputHeight_ = 0;
}

QuestionBox::Line QuestionBox::MakeLine(const std::string& text, int pointSize) {
  Line line;
  line.text = text;
  TTF_SetFontSize(font_, std::max(1, pointSize));
  if (text.empty()) {
    line.height = TTF_FontLineSkip(font_);
    return line;
  }
  TakeGlyphs(TTF_RenderText_Blended(font_, text.c_str(), SDL_Color{255, 255, 255, 255}),
             TTF_FontLineSkip(font_), &line);
  return line;
}

QuestionBox::Line QuestionBox::MakeBlock(const std::string& text, int pointSize) {
  Line block;
  block.text = text;
  if (text.empty()) return block;
  TTF_SetFontSize(font_, std::max(1, pointSize));
  TakeGlyphs(RenderTextBlock(font_, text.c_str()), 0, &block);
  return block;
}

void QuestionBox::TakeGlyphs(SDL_Surface* glyphs, int leastHeight, Line* line) {
  if (!glyphs) return;
  line->texture = SDL_CreateTextureFromSurface(renderer_, glyphs);
  line->width = glyphs->w;
  line->height = std::max(glyphs->h, leastHeight);
  SDL_FreeSurface(glyphs);
  if (line->texture) SDL_SetTextureBlendMode(line->texture, SDL_BLENDMODE_BLEND);
}

std::vector<std::string> WrapWords(const std::string& text, int maxWidth,
                                   const std::function<int(const std::string&)>& measure) {
  std::vector<std::string> wrapped;
  std::string current;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(" \n", start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    const std::string candidate = current.empty() ? word : current + " " + word;
    if (measure(candidate) > maxWidth && !current.empty()) {
      wrapped.push_back(current);
      current = word;
    } else {
      current = candidate;
    }
    if (end < text.size() && text[end] == '\n') {
      wrapped.push_back(current);
      current.clear();
    }
    start = end + 1;
  }
  if (!current.empty() || wrapped.empty()) wrapped.push_back(current);
  return wrapped;
}

int QuestionBox::Px(int size) const {
  const double scale = static_cast<double>(layout_.picture.w) / pictureWidth_;
  return static_cast<int>(std::lround(size * scale));
}

// Fonts are rendered at the output's own scale, so the text stays sharp when the window
// is larger than the picture or the screen has more pixels than points.
void QuestionBox::Relayout() {
  int outputWidth = 0;
  int outputHeight = 0;
  SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight);
  if (outputWidth == layoutOutputWidth_ && outputHeight == layoutOutputHeight_ &&
      (captionLine_.texture || caption_.empty())) {
    return;
  }
  FreeTextures();
  if (outputWidth <= 0 || outputHeight <= 0) return;
  layoutOutputWidth_ = outputWidth;
  layoutOutputHeight_ = outputHeight;
  layout_.picture = LetterboxRect(outputWidth, outputHeight, pictureWidth_, pictureHeight_);
  MakeSnapshotTexture();
  MakeMarker();
  PlacePanel(MakeLines());
  PlaceNote();
}

void QuestionBox::MakeSnapshotTexture() {
  if (snapshot_.empty()) return;
  snapshotTexture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                       SDL_TEXTUREACCESS_STATIC, snapshotWidth_, snapshotHeight_);
  if (!snapshotTexture_) return;
  SDL_UpdateTexture(snapshotTexture_, nullptr, snapshot_.data(), snapshotWidth_ * 4);
  SDL_SetTextureScaleMode(snapshotTexture_, SDL_ScaleModeLinear);
  SDL_SetTextureColorMod(snapshotTexture_, DIM, DIM, DIM);
}

// A replay's marker stays over its recorded questions, undimmed, or the replay would look
// like live play there.
void QuestionBox::MakeMarker() {
  std::vector<uint32_t> pixels;
  SDL_Rect where{};
  if (!CornerLabelPixels(pictureWidth_, pictureHeight_, &pixels, &where)) return;
  marker_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                              where.w, where.h);
  if (!marker_) return;
  SDL_UpdateTexture(marker_, nullptr, pixels.data(), where.w * 4);
  SDL_SetTextureScaleMode(marker_, SDL_ScaleModeLinear);
  const SDL_Rect& picture = layout_.picture;
  markerRect_ = SDL_Rect{picture.x + where.x * picture.w / pictureWidth_,
                         picture.y + where.y * picture.h / pictureHeight_,
                         where.w * picture.w / pictureWidth_, where.h * picture.h / pictureHeight_};
}

int QuestionBox::MakeLines() {
  const int textWidth = Px(PANEL_WIDTH) - 2 * Px(PADDING);
  captionLine_ = MakeLine(caption_, Px(CAPTION_POINTS));
  noteLines_ = MakeBlock(note_, Px(NOTE_POINTS));
  for (const Button& button : buttons_) labels_.push_back(MakeLine(button.label, Px(LABEL_POINTS)));
  if (kind_ == BoxKind::Card) {
    lines_.push_back(MakeBlock(text_, Px(CARD_POINTS)));
    return lines_.back().height;
  }
  // Wrapped at the text's own size.
  TTF_SetFontSize(font_, std::max(1, Px(TEXT_POINTS)));
  const auto measure = [this](const std::string& candidate) {
    int width = 0;
    TTF_SizeText(font_, candidate.c_str(), &width, nullptr);
    return width;
  };
  int textHeight = 0;
  for (const std::string& text : WrapWords(text_, textWidth, measure)) {
    lines_.push_back(MakeLine(text, Px(TEXT_POINTS)));
    textHeight += lines_.back().height;
  }
  return textHeight;
}

void QuestionBox::PlacePanel(int textHeight) {
  QuestionLayout& layout = layout_;
  // A card's block sets its width, within the picture.
  const int blockWidth = kind_ == BoxKind::Card && !lines_.empty() ? lines_[0].width : 0;
  const int panelWidth = std::min(std::max(Px(PANEL_WIDTH), blockWidth + 2 * Px(PADDING)),
                                  layout.picture.w - 2 * Px(MARGIN));
  const int textWidth = panelWidth - 2 * Px(PADDING);
  const int panelHeight =
      Px(CAPTION_HEIGHT) + Px(PADDING) + textHeight + Px(PADDING) + Px(BUTTON_HEIGHT) + Px(PADDING);
  layout.panel =
      SDL_Rect{layout.picture.x + (layout.picture.w - panelWidth) / 2,
               layout.picture.y + (layout.picture.h - panelHeight) / 2, panelWidth, panelHeight};
  layout.caption = SDL_Rect{layout.panel.x, layout.panel.y, panelWidth, Px(CAPTION_HEIGHT)};
  layout.text = SDL_Rect{layout.panel.x + Px(PADDING),
                         layout.caption.y + layout.caption.h + Px(PADDING), textWidth, textHeight};
  const int count = static_cast<int>(buttons_.size());
  const int rowWidth = count * Px(BUTTON_WIDTH) + (count - 1) * Px(BUTTON_GAP);
  int x = layout.panel.x + (panelWidth - rowWidth) / 2;
  const int y = layout.text.y + textHeight + Px(PADDING);
  for (int i = 0; i < 2; ++i) {
    layout.buttons[i] =
        i < count ? SDL_Rect{x, y, Px(BUTTON_WIDTH), Px(BUTTON_HEIGHT)} : SDL_Rect{};
    x += Px(BUTTON_WIDTH) + Px(BUTTON_GAP);
  }
}

// Above the question's panel, as wide as its text.
void QuestionBox::PlaceNote() {
  layout_.note = SDL_Rect{};
  if (!noteLines_.texture) return;
  const int width = noteLines_.width + 2 * Px(PADDING);
  const int height = noteLines_.height + 2 * Px(PADDING) * 2 / 3;
  const int top = std::max(layout_.picture.y + Px(MARGIN), layout_.panel.y - Px(NOTE_GAP) - height);
  layout_.note = SDL_Rect{layout_.picture.x + (layout_.picture.w - width) / 2, top, width, height};
}

void QuestionBox::Put(const Line& line, int x, int y, SDL_Color color) {
  if (!line.texture) return;
  SDL_SetTextureColorMod(line.texture, color.r, color.g, color.b);
  const SDL_Rect where{x, y, line.width, line.height};
  SDL_RenderCopy(renderer_, line.texture, nullptr, &where);
}

void QuestionBox::Draw(bool guarded) {
  // A question before the game's first picture opens the window itself.
  ShowWindowOnce(window_);
  SDL_SetRenderTarget(renderer_, nullptr);
  Relayout();
  const QuestionLayout& layout = layout_;
  SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  if (snapshotTexture_) {
    SDL_RenderCopy(renderer_, snapshotTexture_, nullptr, &layout.picture);
  } else {
    Fill(renderer_, layout.picture, WOOD_DARK);
  }
  if (marker_) SDL_RenderCopy(renderer_, marker_, nullptr, &markerRect_);

  const int border = std::max(1, Px(BORDER));
  const auto panel = [this, border](const SDL_Rect& rect) {
    SDL_Rect shadow = rect;
    shadow.x += 2 * border;
    shadow.y += 2 * border;
    Fill(renderer_, shadow, SDL_Color{0, 0, 0, 255});
    Fill(renderer_, rect, SAUCE);
    Fill(renderer_, Inset(rect, border), WOOD);
  };
  panel(layout.panel);
  Fill(renderer_, layout.caption, SAUCE);
  if (noteLines_.texture) {
    panel(layout.note);
    Put(noteLines_, layout.note.x + (layout.note.w - noteLines_.width) / 2,
        layout.note.y + (layout.note.h - noteLines_.height) / 2, CREAM);
  }
  Put(captionLine_, layout.caption.x + (layout.caption.w - captionLine_.width) / 2,
      layout.caption.y + (layout.caption.h - captionLine_.height) / 2, CREAM);
  int y = layout.text.y;
  for (const Line& line : lines_) {
    Put(line, layout.text.x + (layout.text.w - line.width) / 2, y, CREAM);
    y += line.height;
  }
  // Faded while nothing is taken yet, so that a player sees why a key did nothing.
  const auto shade = [guarded](SDL_Color color) { return guarded ? Faded(color) : color; };
  for (size_t i = 0; i < labels_.size(); ++i) {
    const SDL_Rect& rect = layout.buttons[i];
    const bool chosen = static_cast<int>(i) == chosen_;
    Fill(renderer_, rect, shade(chosen ? CREAM : SAUCE_DARK));
    Fill(renderer_, Inset(rect, border), shade(chosen ? SAUCE : WOOD_DARK));
    Put(labels_[i], rect.x + (rect.w - labels_[i].width) / 2,
        rect.y + (rect.h - labels_[i].height) / 2, shade(chosen ? CREAM : CREAM_DIM));
  }
  SDL_RenderPresent(renderer_);
}

SDL_Rect QuestionBox::ButtonInWindow(int index) const {
  if (index < 0 || index >= static_cast<int>(buttons_.size())) return SDL_Rect{};
  int windowWidth = 0;
  int windowHeight = 0;
  SDL_GetWindowSize(window_, &windowWidth, &windowHeight);
  const SDL_Rect& rect = layout_.buttons[index];
  if (layoutOutputWidth_ <= 0 || layoutOutputHeight_ <= 0) return SDL_Rect{};
  const double sx = static_cast<double>(windowWidth) / layoutOutputWidth_;
  const double sy = static_cast<double>(windowHeight) / layoutOutputHeight_;
  return SDL_Rect{static_cast<int>(std::ceil(rect.x * sx)),
                  static_cast<int>(std::ceil(rect.y * sy)), static_cast<int>(rect.w * sx),
                  static_cast<int>(rect.h * sy)};
}

int QuestionBox::ButtonAt(int windowX, int windowY) const {
  // A card's one button is the whole window.
  if (kind_ == BoxKind::Card) return 0;
  int windowWidth = 0;
  int windowHeight = 0;
  SDL_GetWindowSize(window_, &windowWidth, &windowHeight);
  if (windowWidth <= 0 || windowHeight <= 0) return -1;
  // Mouse events come in window points; the layout is in output pixels.
  const int x = static_cast<int>(static_cast<int64_t>(windowX) * layoutOutputWidth_ / windowWidth);
  const int y =
      static_cast<int>(static_cast<int64_t>(windowY) * layoutOutputHeight_ / windowHeight);
  for (size_t i = 0; i < buttons_.size(); ++i) {
    if (Inside(layout_.buttons[i], x, y)) return static_cast<int>(i);
  }
  return -1;
}

void QuestionBox::Move(int step) {
  const int count = static_cast<int>(buttons_.size());
  const int next = std::clamp(chosen_ + step, 0, count - 1);
  if (next != chosen_) dirty_ = true;
  chosen_ = next;
}

void QuestionBox::ShowChosen(int answer) {
  for (size_t i = 0; i < buttons_.size(); ++i) {
    if (buttons_[i].answer == answer) chosen_ = static_cast<int>(i);
  }
  Draw(false);
}

int QuestionBox::Press(int index) {
  if (index < 0 || index >= static_cast<int>(buttons_.size())) return 0;
  chosen_ = index;
  return buttons_[index].answer;
}

void QuestionBox::HandleKey(SDL_Scancode key, bool shift) {
  const bool yesNo = buttons_.size() == 2;
  if (kind_ == BoxKind::Card) {
    if (key == SDL_SCANCODE_SPACE || key == SDL_SCANCODE_RETURN || key == SDL_SCANCODE_KP_ENTER)
      answer_ = IDYES;
    if (key == SDL_SCANCODE_ESCAPE) answer_ = IDNO;
    return;
  }
  switch (key) {
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER: answer_ = Press(chosen_); break;
    case SDL_SCANCODE_Y:
      if (yesNo) answer_ = IDYES;
      break;
    case SDL_SCANCODE_ESCAPE:
    case SDL_SCANCODE_N: answer_ = yesNo ? IDNO : IDOK; break;
    case SDL_SCANCODE_LEFT: Move(-1); break;
    case SDL_SCANCODE_RIGHT: Move(1); break;
    case SDL_SCANCODE_TAB: {
      const int count = static_cast<int>(buttons_.size());
      chosen_ = (chosen_ + (shift ? count - 1 : 1)) % count;
      dirty_ = true;
      break;
    }
    default: break;
  }
}

void QuestionBox::HandleEvent(const SDL_Event& event, uint32_t now) {
  const Uint32 ourWindow = SDL_GetWindowID(window_);
  switch (event.type) {
    case SDL_QUIT: windowClosed_ = true; break;
    case SDL_WINDOWEVENT:
      if (event.window.windowID != ourWindow) break;
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) windowClosed_ = true;
      // Size, exposure, focus: whatever the window shows may be gone.
      dirty_ = true;
      break;
    case SDL_RENDER_DEVICE_RESET:
      // The renderer lost every texture; they are made again from what is kept.
      FreeTextures();
      dirty_ = true;
      break;
    case SDL_RENDER_TARGETS_RESET: dirty_ = true; break;
    case SDL_KEYDOWN:
      // Only fresh presses after the guard: a key held since before, or pressed during
      // the guard, repeats but never presses anew until it is let go.
      if (event.key.windowID != ourWindow || event.key.repeat || Guarded(now)) break;
      // Alt+Enter switches full screen (counted as it was queued); it answers nothing.
      if (IsFullScreenKey(event.key)) break;
      HandleKey(event.key.keysym.scancode, (event.key.keysym.mod & KMOD_SHIFT) != 0);
      break;
    case SDL_MOUSEMOTION:
      if (event.motion.windowID != ourWindow || Guarded(now)) break;
      // Only a pointer that moves chooses: SDL also reports where a resting one is when
      // the window comes under it (shown again, restored), with no movement.
      if (event.motion.xrel == 0 && event.motion.yrel == 0) break;
      if (const int over = ButtonAt(event.motion.x, event.motion.y); over >= 0 && over != chosen_) {
        chosen_ = over;
        dirty_ = true;
      }
      break;
    case SDL_MOUSEBUTTONDOWN:
      if (event.button.windowID != ourWindow || event.button.button != SDL_BUTTON_LEFT) break;
      mousePressed_ = Guarded(now) ? -1 : ButtonAt(event.button.x, event.button.y);
      if (mousePressed_ >= 0 && mousePressed_ != chosen_) {
        chosen_ = mousePressed_;
        dirty_ = true;
      }
      break;
    case SDL_MOUSEBUTTONUP:
      if (event.button.windowID != ourWindow || event.button.button != SDL_BUTTON_LEFT) break;
      // A click is a press and a release on the same button.
      if (mousePressed_ >= 0 && ButtonAt(event.button.x, event.button.y) == mousePressed_) {
        answer_ = Press(mousePressed_);
      }
      mousePressed_ = -1;
      break;
    default: break;
  }
}

void QuestionBox::ReadPads(uint32_t now) {
  for (uint32_t pad = 0; pad < XUSER_MAX_COUNT && !answer_; ++pad) {
    XINPUT_STATE state{};
    const bool connected = XInputGetState(pad, &state) == ERROR_SUCCESS;
    if (!connected) {
      padSeen_[pad] = false;
      continue;
    }
    uint32_t down = state.Gamepad.wButtons;
    const int stickX = state.Gamepad.sThumbLX;
    const uint32_t held = padHeld_[pad];
    // The stick presses past half way and lets go below a quarter.
    if (stickX <= -STICK_PRESS || ((held & STICK_LEFT) && stickX <= -STICK_RELEASE)) {
      down |= STICK_LEFT;
    }
    if (stickX >= STICK_PRESS || ((held & STICK_RIGHT) && stickX >= STICK_RELEASE)) {
      down |= STICK_RIGHT;
    }
    // A pad plugged in while the box shows has nothing fresh yet.
    const uint32_t pressed = padSeen_[pad] ? down & ~held : 0;
    padSeen_[pad] = true;
    padHeld_[pad] = down;
    if (!pressed || Guarded(now)) continue;
    if (pressed & (XINPUT_GAMEPAD_DPAD_LEFT | STICK_LEFT)) Move(-1);
    if (pressed & (XINPUT_GAMEPAD_DPAD_RIGHT | STICK_RIGHT)) Move(1);
    if (kind_ == BoxKind::Card) {
      if (pressed & (XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_START)) answer_ = IDYES;
      if (pressed & XINPUT_GAMEPAD_BACK) answer_ = IDNO;
    } else if (pressed & XINPUT_GAMEPAD_B) {
      answer_ = buttons_.size() == 2 ? IDNO : IDOK;
    } else if (pressed & XINPUT_GAMEPAD_A) {
      answer_ = Press(chosen_);
    }
  }
}

int QuestionBox::Step(uint32_t now) {
  if (!font_) return 0;
  // Pumped once, then taken straight off the queue: a poll would stop at the end of a
  // poll cycle the game's own loop left open, before events queued after it.
  SDL_PumpEvents();
  SDL_Event event;
  while (!answer_ && !windowClosed_ &&
         SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
    HandleEvent(event, now);
  }
  if (windowClosed_) return kind_ == BoxKind::Ok ? IDOK : IDNO;
  if (!answer_) ReadPads(now);
  if (answer_) return answer_;
  if (ApplyFullScreenSwitches(window_)) dirty_ = true;
  const bool guarded = Guarded(now);
  if (dirty_ || guarded != drawnGuarded_ || now - lastDrawn_ >= REDRAW_MS) {
    Draw(guarded);
    dirty_ = false;
    drawnGuarded_ = guarded;
    lastDrawn_ = now;
  }
  return 0;
}

uint32_t QuestionBox::NextDrawIn(uint32_t now) const {
  if (dirty_) return 0;
  const uint32_t due = Guarded(now) ? openedAt_ + QUESTION_GUARD_MS : lastDrawn_ + REDRAW_MS;
  const int32_t left = static_cast<int32_t>(due - now);
  return left <= 0 ? 0 : static_cast<uint32_t>(std::min<int32_t>(left, REDRAW_MS));
}

int AskInWindow(SDL_Window* window, const char* text, const char* caption, BoxKind kind,
                const char* note, bool* windowClosed) {
  SDL_Renderer* renderer = window ? SDL_GetRenderer(window) : nullptr;
  if (!renderer) return 0;
  QuestionBox box(window, renderer, text, caption, kind, SDL_GetTicks(), note);
  if (!box.Ready()) return 0;
  for (;;) {
    const uint32_t now = SDL_GetTicks();
    const int answer = box.Step(now);
    if (answer) {
      if (windowClosed) *windowClosed = box.WindowClosed();
      return answer;
    }
    // Asleep until an event (a pad's press is one too) or the next drawing.
    SDL_WaitEventTimeout(nullptr, static_cast<int>(box.NextDrawIn(SDL_GetTicks())));
  }
}

bool ShowAnswerInWindow(SDL_Window* window, const char* text, const char* caption, bool yesNo,
                        const char* note, int answer, uint32_t milliseconds) {
  SDL_Renderer* renderer = window ? SDL_GetRenderer(window) : nullptr;
  if (!renderer) return false;
  const uint32_t start = SDL_GetTicks();
  QuestionBox box(window, renderer, text, caption, yesNo ? BoxKind::YesNo : BoxKind::Ok, start,
                  note);
  if (!box.Ready()) return false;
  uint32_t drawn = start - REDRAW_MS;
  int windowEvents = -1;
  for (uint32_t now = start; now - start < milliseconds; now = SDL_GetTicks()) {
    // Drawn again at once when the window was shown, exposed or changed (its events stay
    // queued, so a new one makes the count grow), and now and then all the same.
    SDL_PumpEvents();
    const int queued = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
    if (now - drawn >= REDRAW_MS || queued > windowEvents) {
      box.ShowChosen(answer);
      drawn = now;
      windowEvents = queued;
    }
    SDL_Delay(10);
  }
  return true;
}
