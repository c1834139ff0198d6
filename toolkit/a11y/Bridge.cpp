#include "toolkit/a11y/Bridge.hpp"

#include <atk-bridge.h>
#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>

#include "toolkit/a11y/AtkUtilHooks.hpp"
#include "toolkit/a11y/ObjectTree.hpp"
#include "toolkit/a11y/PeerToPeer.hpp"

namespace ui::a11y {

namespace {

// A bus owner that never answers must not hold the bridge for long.
constexpr std::chrono::milliseconds kDiscoveryTimeout{1000};
// How long the window's end waits for the thread before leaving it.
constexpr std::chrono::milliseconds kStopWait{300};
// A key verdict slower than this means the registry or the screen reader
// is stuck: later keys stop waiting for theirs until one is quick again.
constexpr std::chrono::milliseconds kSlowVerdict{250};

enum class Phase { discovering, found, allowed, running, finished };

thread_local bool tIsBridgeThread = false;

// GLib's warnings from these libraries (no bus, no registry, a stale
// address) would go to standard error. Whatever the bridge's thread logs
// is dropped; every other thread's messages go on as before.
GLogWriterOutput writer(GLogLevelFlags level, const GLogField* fields, gsize n, gpointer data) {
    if (tIsBridgeThread) return G_LOG_WRITER_HANDLED;
    return g_log_writer_default(level, fields, n, data);
}

void silenceBridgeThreadLogs() {
    static std::once_flag once;
    std::call_once(once, [] { g_log_set_writer_func(writer, nullptr, nullptr); });
}

}  // namespace

struct Bridge::Shared {
    BridgeOptions options;
    std::mutex mutex;
    std::condition_variable changed;
    Phase phase = Phase::discovering;
    bool stopping = false;
    std::string address;
    GMainContext* context = nullptr;
    GMainLoop* loop = nullptr;
    std::optional<AccessibleSnapshot> pending;
    bool applyQueued = false;
    std::vector<Request> requests;
    int keysInFlight = 0;           // keys handed over and not yet answered
    bool keysSlow = false;          // the last verdict took longer than kSlowVerdict
    ObjectTree* objects = nullptr;  // bridge thread only
};

namespace {

using Shared = Bridge::Shared;

// ATK's bridge starts once per process and keeps its objects to the end,
// so ours live as long as the process too.
ObjectTree* gObjects = nullptr;

void finish(Shared& s) {
    std::lock_guard lock(s.mutex);
    s.phase = Phase::finished;
    s.changed.notify_all();
}

gboolean applyPending(gpointer data) {
    auto& s = *static_cast<Shared*>(data);
    std::optional<AccessibleSnapshot> next;
    {
        std::lock_guard lock(s.mutex);
        next.swap(s.pending);
        s.applyQueued = false;
    }
    if (next) s.objects->apply(*next);
    return G_SOURCE_REMOVE;
}

// Caller holds the mutex. The source keeps the shared state alive until it
// has run.
void queueApply(Shared& s, const std::shared_ptr<Shared>& keep) {
    if (s.applyQueued || !s.pending || s.phase != Phase::running) return;
    s.applyQueued = true;
    GSource* source = g_idle_source_new();
    auto* hold = new std::shared_ptr<Shared>(keep);
    g_source_set_callback(
        source,
        [](gpointer d) { return applyPending((*static_cast<std::shared_ptr<Shared>*>(d)).get()); },
        hold, [](gpointer d) { delete static_cast<std::shared_ptr<Shared>*>(d); });
    g_source_attach(source, s.context);
    g_source_unref(source);
}

bool waitUntilAllowed(Shared& s) {
    std::unique_lock lock(s.mutex);
    s.changed.wait(lock, [&] { return s.stopping || s.phase == Phase::allowed; });
    return !s.stopping;
}

// Registers with the bus and serves until the window goes. The bridge's
// own cleanup is never called: on a private context it logs a critical
// warning, and at the process's end there is nothing left to tidy.
void serve(const std::shared_ptr<Shared>& shared) {
    Shared& s = *shared;
    s.context = g_main_context_new();
    g_main_context_push_thread_default(s.context);
    std::weak_ptr<Shared> weak = shared;
    s.objects = gObjects = new ObjectTree(s.options.applicationName.c_str(), [weak](Request r) {
        auto live = weak.lock();
        if (!live) return;
        {
            std::lock_guard lock(live->mutex);
            // A window on its way out takes no more requests, and its loop
            // may no longer be there to wake.
            if (live->stopping) return;
            live->requests.push_back(std::move(r));
        }
        live->options.wake();
    });
    installAtkUtil(s.objects->application());
    applyPending(&s);
    if (atk_bridge_adaptor_init(nullptr, nullptr) != 0) return;
    atk_bridge_set_event_context(s.context);
    refusePeerToPeer();
    // The first snapshot went in before anyone listened: a window that
    // already has the keyboard is announced as activated now.
    s.objects->announceActiveWindow();
    GMainLoop* loop = g_main_loop_new(s.context, FALSE);
    {
        std::lock_guard lock(s.mutex);
        if (s.stopping) {
            g_main_loop_unref(loop);
            return;
        }
        s.loop = loop;
        s.phase = Phase::running;
        queueApply(s, shared);
    }
    g_main_loop_run(loop);
    {
        std::lock_guard lock(s.mutex);
        s.loop = nullptr;
    }
    g_main_loop_unref(loop);
}

void threadMain(std::shared_ptr<Shared> shared) {
    Shared& s = *shared;
    tIsBridgeThread = true;
    // Ending signals are the UI thread's business (SDL turns them into a
    // quit); faults stay deliverable here, for the sanitizers' reports.
    sigset_t ending;
    sigemptyset(&ending);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2}) sigaddset(&ending, sig);
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);

    auto address = discoverBus(s.options.sources, kDiscoveryTimeout);
    {
        std::lock_guard lock(s.mutex);
        if (!address || s.stopping) {
            // Nobody to serve, or nobody left to wake.
            s.phase = Phase::finished;
            s.changed.notify_all();
            return;
        }
        s.address = *address;
        s.phase = Phase::found;
    }
    s.options.wake();
    if (waitUntilAllowed(s)) serve(shared);
    finish(s);
}

}  // namespace

bool bridgeAllowed(const char* noAtBridge, bool hasRuntimeDir, bool peerToPeerHook) {
    if (noAtBridge && std::string(noAtBridge) == "1") return false;
    return peerToPeerHook || hasRuntimeDir;
}

std::unique_ptr<Bridge> Bridge::start(BridgeOptions options) {
    if (!bridgeAllowed(std::getenv("NO_AT_BRIDGE"), options.hasRuntimeDir, peerToPeerHookFound())) {
        return nullptr;
    }
    silenceBridgeThreadLogs();
    auto shared = std::make_shared<Shared>();
    shared->options = std::move(options);
    std::thread(threadMain, shared).detach();
    return std::unique_ptr<Bridge>(new Bridge(shared));
}

Bridge::Bridge(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

Bridge::~Bridge() {
    std::unique_lock lock(shared_->mutex);
    shared_->stopping = true;
    if (shared_->loop) g_main_loop_quit(shared_->loop);
    shared_->changed.notify_all();
    shared_->changed.wait_for(lock, kStopWait, [&] { return shared_->phase == Phase::finished; });
}

std::vector<Request> Bridge::service() {
    std::vector<Request> requests;
    std::string address;
    {
        std::lock_guard lock(shared_->mutex);
        requests.swap(shared_->requests);
        if (shared_->phase == Phase::found) address = shared_->address;
    }
    if (!address.empty()) {
        // The bridge's own lookup starts with this variable, so it connects
        // where discovery pointed and nowhere else.
        setenv("AT_SPI_BUS_ADDRESS", address.c_str(), 1);
        std::lock_guard lock(shared_->mutex);
        shared_->phase = Phase::allowed;
        shared_->changed.notify_all();
    }
    return requests;
}

namespace {

struct KeyCall {
    std::shared_ptr<Shared> shared;
    KeyEvent key;
    bool done = false;
    bool consumed = false;
};

gboolean deliver(gpointer data) {
    auto& call = *static_cast<std::shared_ptr<KeyCall>*>(data);
    auto started = std::chrono::steady_clock::now();
    bool consumed = deliverKey(call->key);  // may block up to the bridge's cap
    bool slow = std::chrono::steady_clock::now() - started > kSlowVerdict;
    Shared& s = *call->shared;
    std::lock_guard lock(s.mutex);
    call->done = true;
    call->consumed = consumed;
    --s.keysInFlight;
    s.keysSlow = slow;
    s.changed.notify_all();
    return G_SOURCE_REMOVE;
}

}  // namespace

std::optional<bool> Bridge::key(const KeyEvent& key, std::chrono::milliseconds wait) {
    std::unique_lock lock(shared_->mutex);
    if (shared_->phase != Phase::running || shared_->stopping) return std::nullopt;
    bool mayWait = shared_->keysInFlight == 0 && !shared_->keysSlow && wait.count() > 0;
    ++shared_->keysInFlight;
    auto call = std::make_shared<KeyCall>(KeyCall{shared_, key});
    GSource* source = g_idle_source_new();
    // Keys go before snapshots waiting to be applied: a screen reader
    // hears the key that caused a change before the change.
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_callback(source, deliver, new std::shared_ptr<KeyCall>(call),
                          [](gpointer d) { delete static_cast<std::shared_ptr<KeyCall>*>(d); });
    g_source_attach(source, shared_->context);
    g_source_unref(source);
    if (!mayWait) return std::nullopt;
    if (!shared_->changed.wait_for(lock, wait, [&] { return call->done; })) return std::nullopt;
    return call->consumed;
}

bool Bridge::wantsSnapshots() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->phase != Phase::finished;
}

void Bridge::publish(AccessibleSnapshot snapshot) {
    std::lock_guard lock(shared_->mutex);
    shared_->pending = std::move(snapshot);
    queueApply(*shared_, shared_);
}

}  // namespace ui::a11y
