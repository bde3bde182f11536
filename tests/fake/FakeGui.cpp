#include "tests/fake/FakeGui.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace kv::fake {

using platform::MouseButton;
using platform::WindowState;

namespace {

std::string RectText(const Rect& r) {
  return std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.width) + "," +
         std::to_string(r.height);
}

template <typename T>
void Erase(std::vector<T*>& list, T* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

// --- FakePainter

void FakePainter::DrawImage(const platform::Image* image, Point at, platform::ImageEffect effect) {
  PaintOp op;
  op.kind = PaintOp::Kind::kImage;
  op.image = image;
  op.effect = effect;
  op.at = {at.x + offset_.x, at.y + offset_.y};
  ops.push_back(op);
}

void FakePainter::FillTexture(const platform::Image* image, const Rect& area, Point origin) {
  PaintOp op;
  op.kind = PaintOp::Kind::kTexture;
  op.image = image;
  op.area = {area.x + offset_.x, area.y + offset_.y, area.width, area.height};
  op.at = {origin.x + offset_.x, origin.y + offset_.y};
  ops.push_back(op);
}

void FakePainter::FillRect(const Rect& area, Color color) {
  PaintOp op;
  op.kind = PaintOp::Kind::kFill;
  op.area = {area.x + offset_.x, area.y + offset_.y, area.width, area.height};
  op.color = color;
  ops.push_back(op);
}

void FakePainter::DrawString(const std::string& text, const platform::FontStyle& font, Color color,
                             const platform::RectF& layout, const platform::TextFormat& format) {
  PaintOp op;
  op.kind = PaintOp::Kind::kText;
  op.text = text;
  op.font = font;
  op.color = color;
  op.layout = {layout.x + static_cast<float>(offset_.x), layout.y + static_cast<float>(offset_.y),
               layout.width, layout.height};
  op.format = format;
  ops.push_back(op);
}

Size FakePainter::MeasureString(const std::string& text, const platform::FontStyle& font,
                                int maxWidth) {
  int cell = static_cast<int>(font.pixelSize + 0.5f);
  int characters = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) {
      ++characters;
    }
  }
  int width = characters * cell;
  int lines = 1;
  if (maxWidth > 0 && width > maxWidth && cell > 0) {
    int perLine = std::max(1, maxWidth / cell);
    lines = (characters + perLine - 1) / perLine;
    width = perLine * cell;
  }
  return {width, lines * cell};
}

void FakePainter::Save() {
  saved_.push_back(offset_);
}

void FakePainter::Restore() {
  if (!saved_.empty()) {
    offset_ = saved_.back();
    saved_.pop_back();
  }
}

void FakePainter::Translate(int dx, int dy) {
  offset_.x += dx;
  offset_.y += dy;
}

void FakePainter::Clip(const Rect& area) {
  PaintOp op;
  op.kind = PaintOp::Kind::kClip;
  op.area = {area.x + offset_.x, area.y + offset_.y, area.width, area.height};
  ops.push_back(op);
}

std::vector<PaintOp> FakePainter::OpsOf(PaintOp::Kind kind) const {
  std::vector<PaintOp> result;
  for (const auto& op : ops) {
    if (op.kind == kind) {
      result.push_back(op);
    }
  }
  return result;
}

std::unique_ptr<platform::Image> FakeCanvas::Snapshot() const {
  auto image = std::make_unique<FakeImage>(size_.width, size_.height, "snapshot");
  image->content = painter_.ops;
  return image;
}

// --- FakeWindow

FakeWindow::FakeWindow(FakeGui& gui, const platform::WindowOptions& options,
                       platform::WindowEvents& events, platform::NativeWindowId id)
    : gui_(gui),
      options_(options),
      events_(events),
      id_(id),
      title_(options.title),
      rect_(options.rect),
      taskbar_(options.kind == platform::WindowKind::kTopLevel) {
  gui_.windows_.push_back(this);
}

FakeWindow::~FakeWindow() {
  Erase(gui_.windows_, this);
}

void FakeWindow::Log(std::string call) {
  calls_.push_back(std::move(call));
}

void FakeWindow::SetTitle(const std::string& title) {
  title_ = title;
  Log("SetTitle " + title);
}

void FakeWindow::Place(const Rect& rect) {
  rect_ = rect;
  Log("Place " + RectText(rect));
}

Point FakeWindow::ClientToScreen(Point client) const {
  Point p{client.x + rect_.x, client.y + rect_.y};
  if (options_.kind == platform::WindowKind::kChild && options_.owner != nullptr) {
    return options_.owner->ClientToScreen(p);
  }
  return p;
}

void FakeWindow::Show() {
  visible_ = true;
  Log("Show");
}

void FakeWindow::Hide() {
  visible_ = false;
  Log("Hide");
}

void FakeWindow::Activate() {
  Log("Activate");
}

void FakeWindow::Minimize() {
  state_ = WindowState::kMinimized;
  Log("Minimize");
}

void FakeWindow::Maximize() {
  state_ = WindowState::kMaximized;
  Log("Maximize");
}

void FakeWindow::Restore() {
  state_ = WindowState::kNormal;
  Log("Restore");
}

void FakeWindow::SetFullscreen(bool on) {
  state_ = on ? WindowState::kFullscreen : WindowState::kNormal;
  Log(on ? "Fullscreen on" : "Fullscreen off");
}

void FakeWindow::BeginMoveDrag() {
  ++moveDrags_;
  Log("BeginMoveDrag");
}

void FakeWindow::SetTaskbarEntry(bool shown) {
  taskbar_ = shown;
  Log(shown ? "TaskbarEntry on" : "TaskbarEntry off");
}

void FakeWindow::SetKeepAbove(bool above) {
  keepAbove_ = above;
  Log(above ? "KeepAbove on" : "KeepAbove off");
}

void FakeWindow::SetOpacity(std::uint8_t alpha) {
  opacity_ = alpha;
  Log("Opacity " + std::to_string(alpha));
}

void FakeWindow::SetColorKey(std::optional<Color> key) {
  colorKey_ = key;
  Log("ColorKey");
}

void FakeWindow::SetAlphaImage(const platform::Image* image) {
  alphaImage_ = image;
  if (image != nullptr) {
    rect_.width = image->Width();
    rect_.height = image->Height();
  }
  Log("AlphaImage");
}

void FakeWindow::Invalidate() {
  invalidations_.push_back({0, 0, rect_.width, rect_.height});
}

void FakeWindow::Invalidate(const Rect& area) {
  invalidations_.push_back(area);
}

void FakeWindow::SetTimer(int id, int ms, bool repeat) {
  timers_[id] = Timer{ms, repeat};
  Log("SetTimer " + std::to_string(id) + " " + std::to_string(ms));
}

void FakeWindow::KillTimer(int id) {
  timers_.erase(id);
  Log("KillTimer " + std::to_string(id));
}

int FakeWindow::RunModal() {
  Log("RunModal");
  visible_ = true;
  inModal_ = true;
  modalResult_.reset();
  if (!gui_.modalScripts.empty()) {
    auto script = std::move(gui_.modalScripts.front());
    gui_.modalScripts.pop_front();
    script(*this);
  }
  inModal_ = false;
  return modalResult_.value_or(FakeGui::kModalNotEnded);
}

void FakeWindow::EndModal(int result) {
  Log("EndModal " + std::to_string(result));
  if (inModal_ && !modalResult_) {
    modalResult_ = result;
  }
}

bool FakeWindow::RegisterHotkey(int id, int modifiers, int key) {
  hotkeys_[id] = HotkeyBinding{modifiers, key};
  Log("RegisterHotkey " + std::to_string(id));
  return true;
}

void FakeWindow::UnregisterHotkey(int id) {
  hotkeys_.erase(id);
  Log("UnregisterHotkey " + std::to_string(id));
}

void FakeWindow::MouseDown(Point p, MouseButton b) {
  events_.OnMouseDown(b, p);
}
void FakeWindow::MouseUp(Point p, MouseButton b) {
  events_.OnMouseUp(b, p);
}
void FakeWindow::MouseMove(Point p) {
  events_.OnMouseMove(p);
}
void FakeWindow::MouseLeave() {
  events_.OnMouseLeave();
}

void FakeWindow::Click(Point p, MouseButton b) {
  events_.OnMouseDown(b, p);
  events_.OnMouseUp(b, p);
}

void FakeWindow::DoubleClick(Point p, MouseButton b) {
  events_.OnMouseDown(b, p);
  events_.OnMouseUp(b, p);
  events_.OnMouseDown(b, p);
  events_.OnDoubleClick(b, p);
  events_.OnMouseUp(b, p);
}

bool FakeWindow::KeyDown(int key, int modifiers) {
  return events_.OnKeyDown(key, modifiers);
}

bool FakeWindow::FireTimer(int id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) {
    return false;
  }
  if (!it->second.repeat) {
    timers_.erase(it);
  }
  events_.OnTimer(id);
  return true;
}

void FakeWindow::RequestClose() {
  events_.OnCloseRequest();
}

void FakeWindow::WindowManagerSetState(WindowState state) {
  state_ = state;
  events_.OnStateChanged(state);
}

void FakeWindow::WindowManagerPlace(const Rect& rect) {
  rect_ = rect;
  events_.OnGeometryChanged(rect);
}

void FakeWindow::ParentResized(Size size) {
  events_.OnParentSizeChanged(size);
}

void FakeWindow::Message(int message, std::int64_t param) {
  events_.OnMessage(message, param);
}

void FakeWindow::PressHotkey(int id) {
  events_.OnHotkey(id);
}

FakePainter FakeWindow::Paint() {
  FakePainter painter;
  events_.OnPaint(painter);
  return painter;
}

// --- FakeWebView

FakeWebView::FakeWebView(FakeGui& gui, FakeWindow& host, platform::WebViewEvents& events,
                         const platform::WebViewOptions& options)
    : gui_(gui), host_(host), events_(events), options_(options) {
  gui_.webViews_.push_back(this);
}

FakeWebView::~FakeWebView() {
  Erase(gui_.webViews_, this);
}

void FakeWebView::Navigate(const std::string& url) {
  url_ = url;
  navigations_.push_back(url);
}

void FakeWebView::Place(const Rect& rect) {
  placement_ = rect;
  placements_.push_back(rect);
}

bool FakeWebView::PageNavigates(const std::string& url) {
  bool cancel = false;
  events_.OnBeforeNavigate(url, cancel);
  return cancel;
}

void FakeWebView::PageLoads(const std::string& url) {
  url_ = url;
  events_.OnNavigateComplete(url);
  events_.OnDocumentComplete(url, true);
}

void FakeWebView::FrameLoads(const std::string& url) {
  events_.OnDocumentComplete(url, false);
}

bool FakeWebView::PageMouseDown(MouseButton button, bool doubleClick) {
  return events_.OnMouseDown(button, doubleClick);
}

bool FakeWebView::PageContextMenu() {
  return events_.OnContextMenu();
}

void FakeWebView::PageClick(const std::string& href, bool insideLink, bool mainFrame) {
  if (options_.reportClicks) {
    events_.OnDocumentClick(href, insideLink, mainFrame);
  }
}

// --- FakeGui

FakeGui::FakeGui() = default;
FakeGui::~FakeGui() = default;

std::unique_ptr<platform::Window> FakeGui::MakeWindow(const platform::WindowOptions& options,
                                                      platform::WindowEvents& events) {
  return std::make_unique<FakeWindow>(*this, options, events, nextId_++);
}

std::unique_ptr<platform::WebView> FakeGui::MakeWebView(platform::Window& host,
                                                        platform::WebViewEvents& events,
                                                        const platform::WebViewOptions& options) {
  return std::make_unique<FakeWebView>(*this, static_cast<FakeWindow&>(host), events, options);
}

std::unique_ptr<platform::Image> FakeGui::DecodePng(std::span<const std::uint8_t> bytes) {
  ++decodePngCalls;
  static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  // Signature, IHDR length and type, then width and height, big-endian.
  if (bytes.size() < 24 || !std::equal(kSignature, kSignature + 8, bytes.begin()) ||
      bytes[12] != 'I' || bytes[13] != 'H' || bytes[14] != 'D' || bytes[15] != 'R') {
    return nullptr;
  }
  auto be32 = [&](std::size_t at) {
    return static_cast<int>((std::uint32_t{bytes[at]} << 24) |
                            (std::uint32_t{bytes[at + 1]} << 16) |
                            (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3]);
  };
  int width = be32(16);
  int height = be32(20);
  if (width <= 0 || height <= 0) {
    return nullptr;
  }
  return std::make_unique<FakeImage>(width, height, "png");
}

std::unique_ptr<platform::Image> FakeGui::CreateImage(int width, int height,
                                                      std::span<const std::uint32_t> argb) {
  if (width <= 0 || height <= 0 ||
      argb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    return nullptr;
  }
  return std::make_unique<FakeImage>(width, height, "pixels");
}

std::unique_ptr<platform::Canvas> FakeGui::CreateCanvas(Size size) {
  if (canvasesLeft == 0) {
    return nullptr;
  }
  if (canvasesLeft > 0) {
    --canvasesLeft;
  }
  return std::make_unique<FakeCanvas>(size);
}

bool FakeGui::SendWindowMessage(platform::NativeWindowId target, int message, std::int64_t param) {
  if (!WindowExists(target)) {
    return false;
  }
  sentMessages.push_back({target, message, param});
  if (FindWindow(target) != nullptr) {
    RunOnUiThread([this, target, message, param] {
      if (FakeWindow* window = FindWindow(target)) {
        window->Message(message, param);
      }
    });
  }
  return true;
}

bool FakeGui::WindowExists(platform::NativeWindowId target) {
  return FindWindow(target) != nullptr || foreignWindows.count(target) != 0;
}

std::optional<Size> FakeGui::WindowClientSize(platform::NativeWindowId target) {
  if (FakeWindow* window = FindWindow(target)) {
    return window->ClientSize();
  }
  if (foreignWindows.count(target) == 0) {
    return std::nullopt;
  }
  auto size = foreignWindowSizes.find(target);
  return size != foreignWindowSizes.end() ? size->second : Size{};
}

namespace {

class FakeWindowProbe final : public platform::WindowProbe {
 public:
  explicit FakeWindowProbe(FakeGui& gui) : gui_(gui) {}
  bool WindowExists(platform::NativeWindowId target) override { return gui_.WindowExists(target); }

 private:
  FakeGui& gui_;
};

}  // namespace

std::unique_ptr<platform::WindowProbe> FakeGui::MakeWindowProbe() {
  ++windowProbesMade;
  return std::make_unique<FakeWindowProbe>(*this);
}

void FakeGui::RunMainLoop() {
  ++mainLoopRuns;
  if (mainLoopScript) {
    mainLoopScript();
  }
}

void FakeGui::RunOnUiThread(std::function<void()> task) {
  std::lock_guard lock(tasksMutex_);
  tasks_.push_back(std::move(task));
}

void FakeGui::ClearWebData(std::function<void(bool)> done) {
  clearWebDataOffUiThread += std::this_thread::get_id() != uiThread ? 1 : 0;
  ++clearWebDataCalls;
  pendingClears.push_back(std::move(done));
}

void FakeGui::FinishClearWebData(bool success) {
  auto pending = std::move(pendingClears);
  pendingClears.clear();
  for (auto& done : pending) {
    done(success);
  }
}

FakeWindow* FakeGui::FindWindow(platform::NativeWindowId id) const {
  for (FakeWindow* window : windows_) {
    if (window->Handle() == id) {
      return window;
    }
  }
  return nullptr;
}

FakeWindow* FakeGui::FindWindowByTitle(const std::string& title) const {
  for (FakeWindow* window : windows_) {
    if (window->Title() == title) {
      return window;
    }
  }
  return nullptr;
}

int FakeGui::RunPendingTasks() {
  int count = 0;
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard lock(tasksMutex_);
      if (tasks_.empty()) {
        break;
      }
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
    ++count;
  }
  return count;
}

}  // namespace kv::fake
