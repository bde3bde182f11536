#pragma once
// The recording test double of the window system: windows, web views, images
// and painters that remember what the portable logic asked of them and let a
// test play the user, the window manager and the clock.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/Gui.h"

namespace kv::fake {

using platform::Color;
using platform::Point;
using platform::Rect;
using platform::Size;

// One drawing call, in target coordinates (translations already applied).
struct PaintOp {
  enum class Kind { kImage, kTexture, kFill, kText, kClip };
  Kind kind = Kind::kFill;
  const platform::Image* image = nullptr;
  platform::ImageEffect effect = platform::ImageEffect::kNone;
  Point at;          // kImage: top-left corner; kTexture: texture origin
  Rect area;         // kTexture, kFill, kClip
  Color color;       // kFill, kText
  std::string text;  // kText
  platform::FontStyle font;
  platform::RectF layout;
  platform::TextFormat format;
};

// An image that knows only its size and where it came from.
class FakeImage final : public platform::Image {
 public:
  FakeImage(int width, int height, std::string origin)
      : width_(width), height_(height), origin_(std::move(origin)) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  const std::string& Origin() const { return origin_; }
  // For snapshots of a FakeCanvas: the drawing operations it holds.
  std::vector<PaintOp> content;

 private:
  int width_;
  int height_;
  std::string origin_;
};

class FakePainter final : public platform::Painter {
 public:
  void DrawImage(const platform::Image* image, Point at, platform::ImageEffect effect) override;
  void FillTexture(const platform::Image* image, const Rect& area, Point origin) override;
  void FillRect(const Rect& area, Color color) override;
  void DrawString(const std::string& text, const platform::FontStyle& font, Color color,
                  const platform::RectF& layout, const platform::TextFormat& format) override;
  // Every character counts as a square of the font's pixel size.
  Size MeasureString(const std::string& text, const platform::FontStyle& font,
                     int maxWidth) override;
  void Save() override;
  void Restore() override;
  void Translate(int dx, int dy) override;
  void Clip(const Rect& area) override;

  std::vector<PaintOp> ops;
  // The operations of one kind, in order.
  std::vector<PaintOp> OpsOf(PaintOp::Kind kind) const;

 private:
  Point offset_;
  std::vector<Point> saved_;
};

class FakeCanvas final : public platform::Canvas {
 public:
  explicit FakeCanvas(Size size) : size_(size) {}
  Size GetSize() const override { return size_; }
  platform::Painter& GetPainter() override { return painter_; }
  std::unique_ptr<platform::Image> Snapshot() const override;
  const FakePainter& Recorded() const { return painter_; }

 private:
  Size size_;
  FakePainter painter_;
};

class FakeGui;

class FakeWindow final : public platform::Window {
 public:
  FakeWindow(FakeGui& gui, const platform::WindowOptions& options, platform::WindowEvents& events,
             platform::NativeWindowId id);
  ~FakeWindow() override;

  // --- platform::Window
  platform::NativeWindowId Handle() const override { return id_; }
  void SetTitle(const std::string& title) override;
  void Place(const Rect& rect) override;
  Rect Geometry() const override { return rect_; }
  Size ClientSize() const override { return {rect_.width, rect_.height}; }
  Point ClientToScreen(Point client) const override;
  void Show() override;
  void Hide() override;
  bool IsVisible() const override { return visible_; }
  void Activate() override;
  void Minimize() override;
  void Maximize() override;
  void Restore() override;
  void SetFullscreen(bool on) override;
  platform::WindowState State() const override { return state_; }
  void BeginMoveDrag() override;
  void SetTaskbarEntry(bool shown) override;
  void SetKeepAbove(bool above) override;
  void SetOpacity(std::uint8_t alpha) override;
  void SetColorKey(std::optional<Color> key) override;
  void SetAlphaImage(const platform::Image* image) override;
  void Invalidate() override;
  void Invalidate(const Rect& area) override;
  void RenderInto(platform::Painter& painter) override { events_.OnPaint(painter); }
  void SetTimer(int id, int ms, bool repeat) override;
  void KillTimer(int id) override;
  int RunModal() override;
  void EndModal(int result) override;
  bool RegisterHotkey(int id, int modifiers, int key) override;
  void UnregisterHotkey(int id) override;

  // --- what was asked
  const platform::WindowOptions& Options() const { return options_; }
  const std::string& Title() const { return title_; }
  bool TaskbarEntry() const { return taskbar_; }
  bool KeepAbove() const { return keepAbove_; }
  std::uint8_t Opacity() const { return opacity_; }
  std::optional<Color> ColorKey() const { return colorKey_; }
  const platform::Image* AlphaImage() const { return alphaImage_; }
  bool InModal() const { return inModal_; }
  int MoveDrags() const { return moveDrags_; }
  // Invalidated areas since the last ClearInvalidations (whole window: the client rectangle).
  const std::vector<Rect>& Invalidations() const { return invalidations_; }
  void ClearInvalidations() { invalidations_.clear(); }
  struct Timer {
    int ms = 0;
    bool repeat = true;
  };
  const std::map<int, Timer>& Timers() const { return timers_; }
  bool TimerRunning(int id) const { return timers_.count(id) != 0; }
  struct HotkeyBinding {
    int modifiers = 0;
    int key = 0;
    friend bool operator==(const HotkeyBinding&, const HotkeyBinding&) = default;
  };
  const std::map<int, HotkeyBinding>& Hotkeys() const { return hotkeys_; }
  // Every call in order, e.g. "Show", "Place 0,0,256,110", "Maximize".
  const std::vector<std::string>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

  // --- playing the user, the window manager and the clock
  void MouseDown(Point p, platform::MouseButton b = platform::MouseButton::kLeft);
  void MouseUp(Point p, platform::MouseButton b = platform::MouseButton::kLeft);
  void MouseMove(Point p);
  void MouseLeave();
  // Press and release.
  void Click(Point p, platform::MouseButton b = platform::MouseButton::kLeft);
  // Two clicks, the second press also reported as a double click (as the backend does).
  void DoubleClick(Point p, platform::MouseButton b = platform::MouseButton::kLeft);
  bool KeyDown(int key, int modifiers = 0);
  // Fires timer `id` if it runs (a one-shot timer stops first); false when it does not run.
  bool FireTimer(int id);
  void RequestClose();
  // The window manager changes the state by itself (taskbar, keyboard).
  void WindowManagerSetState(platform::WindowState state);
  void WindowManagerPlace(const Rect& rect);
  // kEmbedded: the foreign parent has a new size.
  void ParentResized(Size size);
  void Message(int message, std::int64_t param);
  void PressHotkey(int id);
  // Runs OnPaint into a fresh recording painter.
  FakePainter Paint();

 private:
  void Log(std::string call);
  FakeGui& gui_;
  platform::WindowOptions options_;
  platform::WindowEvents& events_;
  platform::NativeWindowId id_;
  std::string title_;
  Rect rect_;
  bool visible_ = false;
  platform::WindowState state_ = platform::WindowState::kNormal;
  bool taskbar_;
  bool keepAbove_ = false;
  std::uint8_t opacity_ = 255;
  std::optional<Color> colorKey_;
  const platform::Image* alphaImage_ = nullptr;
  bool inModal_ = false;
  std::optional<int> modalResult_;
  int moveDrags_ = 0;
  std::vector<Rect> invalidations_;
  std::map<int, Timer> timers_;
  std::map<int, HotkeyBinding> hotkeys_;
  std::vector<std::string> calls_;
};

class FakeWebView final : public platform::WebView {
 public:
  FakeWebView(FakeGui& gui, FakeWindow& host, platform::WebViewEvents& events,
              const platform::WebViewOptions& options);
  ~FakeWebView() override;

  void Navigate(const std::string& url) override;
  void Reload() override { ++reloads_; }
  std::string Url() const override { return url_; }
  void Place(const Rect& rect) override;
  Rect Placement() const override { return placement_; }
  void Focus() override { ++focusRequests_; }
  void RunScript(const std::string& script) override { scripts_.push_back(script); }

  FakeWindow& Host() const { return host_; }
  const platform::WebViewOptions& Options() const { return options_; }
  const std::vector<std::string>& Navigations() const { return navigations_; }
  const std::vector<Rect>& Placements() const { return placements_; }
  int Reloads() const { return reloads_; }
  int FocusRequests() const { return focusRequests_; }
  const std::vector<std::string>& Scripts() const { return scripts_; }

  // --- playing the page
  // A navigation starts (link, script, frame); returns true when the owner cancelled it.
  bool PageNavigates(const std::string& url);
  // The top-level page commits `url` and finishes loading it.
  void PageLoads(const std::string& url);
  // A frame inside the page finished loading.
  void FrameLoads(const std::string& url);
  // Returns true when the owner dropped the press.
  bool PageMouseDown(platform::MouseButton button, bool doubleClick = false);
  // Returns true when the owner suppressed the menu.
  bool PageContextMenu();
  void PageClick(const std::string& href, bool insideLink, bool mainFrame = true);

 private:
  FakeGui& gui_;
  FakeWindow& host_;
  platform::WebViewEvents& events_;
  platform::WebViewOptions options_;
  std::string url_;
  Rect placement_;
  std::vector<std::string> navigations_;
  std::vector<Rect> placements_;
  int reloads_ = 0;
  int focusRequests_ = 0;
  std::vector<std::string> scripts_;
};

class FakeGui final : public platform::Gui {
 public:
  FakeGui();
  ~FakeGui() override;

  // --- platform::Gui
  bool Initialize() override { return displayAvailable; }
  std::unique_ptr<platform::Window> MakeWindow(const platform::WindowOptions& options,
                                               platform::WindowEvents& events) override;
  std::unique_ptr<platform::WebView> MakeWebView(platform::Window& host,
                                                 platform::WebViewEvents& events,
                                                 const platform::WebViewOptions& options) override;
  // Reads the size from the PNG header; the pixels are not decoded.
  std::unique_ptr<platform::Image> DecodePng(std::span<const std::uint8_t> bytes) override;
  std::unique_ptr<platform::Image> CreateImage(int width, int height,
                                               std::span<const std::uint32_t> argb) override;
  std::unique_ptr<platform::Canvas> CreateCanvas(Size size) override;
  Size ScreenSize() override { return screenSize; }
  Rect WorkArea() override { return workArea; }
  bool IsActiveApplication() override { return activeApplication; }
  bool SendWindowMessage(platform::NativeWindowId target, int message, std::int64_t param) override;
  bool WindowExists(platform::NativeWindowId target) override;
  std::optional<Size> WindowClientSize(platform::NativeWindowId target) override;
  // Answers from WindowExists: tests change foreignWindows only while the
  // thread that asks is parked (the game window tests gate their watcher).
  std::unique_ptr<platform::WindowProbe> MakeWindowProbe() override;
  void RunMainLoop() override;
  void QuitMainLoop() override { ++mainLoopQuits; }
  void RunOnUiThread(std::function<void()> task) override;
  void ClearWebData(std::function<void(bool)> done) override;
  std::filesystem::path WebDataFolder() override { return webDataFolder; }
  std::filesystem::path WebCacheFolder() override { return webCacheFolder; }

  // --- answers the test sets
  bool displayAvailable = true;
  Size screenSize{1600, 1000};
  Rect workArea{0, 0, 1600, 960};
  bool activeApplication = true;
  // How many more canvases CreateCanvas makes before it gives null (-1: no limit).
  int canvasesLeft = -1;
  std::set<platform::NativeWindowId> foreignWindows;  // other processes' windows that exist
  // Client sizes of foreignWindows (0 x 0 when not given).
  std::map<platform::NativeWindowId, Size> foreignWindowSizes;
  std::filesystem::path webDataFolder = "/tmp/korvane-fake/webdata";
  std::filesystem::path webCacheFolder = "/tmp/korvane-fake/webcache";
  // Each RunModal takes the next script (front first) and runs it inside the
  // modal loop; a RunModal without a script returns kModalNotEnded.
  std::deque<std::function<void(FakeWindow&)>> modalScripts;
  static constexpr int kModalNotEnded = -1000;
  // Runs inside RunMainLoop (then the loop returns).
  std::function<void()> mainLoopScript;

  // --- what was asked
  struct SentMessage {
    platform::NativeWindowId target = 0;
    int message = 0;
    std::int64_t param = 0;
    friend bool operator==(const SentMessage&, const SentMessage&) = default;
  };
  std::vector<SentMessage> sentMessages;
  int mainLoopRuns = 0;
  int mainLoopQuits = 0;
  int clearWebDataCalls = 0;
  // Calls of the members other than RunOnUiThread must come from the thread that
  // made the FakeGui (the user-interface thread); ClearWebData counts the others.
  std::thread::id uiThread = std::this_thread::get_id();
  int clearWebDataOffUiThread = 0;
  int decodePngCalls = 0;
  int windowProbesMade = 0;
  std::vector<std::function<void(bool)>> pendingClears;  // finish with FinishClearWebData

  // Live windows and web views, in creation order.
  const std::vector<FakeWindow*>& Windows() const { return windows_; }
  const std::vector<FakeWebView*>& WebViews() const { return webViews_; }
  FakeWindow* FindWindow(platform::NativeWindowId id) const;
  FakeWindow* FindWindowByTitle(const std::string& title) const;
  FakeWindow* LastWindow() const { return windows_.empty() ? nullptr : windows_.back(); }
  // Runs the queued RunOnUiThread tasks and delivers messages sent to this
  // process's windows, in order; returns how many ran.
  int RunPendingTasks();
  void FinishClearWebData(bool success);

 private:
  friend class FakeWindow;
  friend class FakeWebView;
  std::vector<FakeWindow*> windows_;
  std::vector<FakeWebView*> webViews_;
  std::mutex tasksMutex_;  // RunOnUiThread may be called from worker threads
  std::deque<std::function<void()>> tasks_;
  platform::NativeWindowId nextId_ = 0x1000;
};

}  // namespace kv::fake
