#include "toolkit/host/HeadlessHost.hpp"

#include "toolkit/layout/TreeJson.hpp"
#include "toolkit/render/PangoMeasurer.hpp"
#include "toolkit/render/Renderer.hpp"

namespace ui {

HeadlessHost::HeadlessHost(const WindowGroup& scene, HostOptions options, TextMeasurer* measurer)
    : options_(options) {
    init(scene.content(), measurer);
}

HeadlessHost::HeadlessHost(View root, HostOptions options, TextMeasurer* measurer) : options_(options) {
    init(std::move(root), measurer);
}

HeadlessHost::~HeadlessHost() = default;

void HeadlessHost::init(View root, TextMeasurer* measurer) {
    if (!measurer) {
        ownMeasurer_ = std::make_unique<PangoMeasurer>();
        measurer = ownMeasurer_.get();
    }
    runtime_ = std::make_unique<Runtime>(std::move(root), *measurer, options_);
    runtime_->setClipboardWriter([this](const std::string& text) { clipboard_ = text; });
    pointer_ = {options_.size.width / 2, options_.size.height / 2};
}

void HeadlessHost::press(Point p) {
    pointer_ = p;
    down_ = true;
    runtime_->pointerDown(p, now_);
}

void HeadlessHost::move(Point p) {
    pointer_ = p;
    if (down_) runtime_->pointerMove(p, now_);
}

void HeadlessHost::release() {
    if (!down_) return;
    down_ = false;
    runtime_->pointerUp(pointer_, now_);
}

void HeadlessHost::tap(Point p) {
    press(p);
    advance(50);
    release();
}

void HeadlessHost::secondaryClick(Point p) {
    pointer_ = p;
    runtime_->secondaryClick(p, now_);
}

void HeadlessHost::advance(double milliseconds) {
    if (milliseconds <= 0) return;
    now_ += milliseconds / 1000;
    runtime_->advanceTo(now_);
}

void HeadlessHost::scroll(double dy) { runtime_->wheel(pointer_, dy, now_); }

void HeadlessHost::key(Key key) { runtime_->key(key, now_); }

void HeadlessHost::settle() {
    // Frames at 60 Hz, as a window would draw them, until nothing moves
    // (the scroll indicator's fade included).
    // The tree is brought up to date first: a pending state change may be
    // about to start an animation.
    runtime_->tree();
    for (int frame = 0; frame < 600 && runtime_->isAnimating(); ++frame) {
        advance(1000.0 / 60);
        runtime_->tree();
    }
}

const LayoutTree& HeadlessHost::tree() { return runtime_->tree(); }

std::string HeadlessHost::treeJson() {
    const LayoutTree& t = runtime_->tree();
    return ui::treeJson(t, runtime_->alertPresented(), runtime_->sheetPresented());
}

bool HeadlessHost::render() {
    const LayoutTree& t = runtime_->tree();
    if (!renderer_) renderer_ = std::make_unique<Renderer>(options_.size, options_.scale);
    return renderer_->render(t);
}

bool HeadlessHost::writePng(const std::string& path) {
    render();
    return renderer_->writePng(path);
}

}  // namespace ui
