#pragma once

// The screen-reader bridge: accessible objects for what the window shows,
// served over AT-SPI2 by ATK's bridge on a thread of its own.
//
// The bridge's thread stands in for the platform's accessibility server,
// as SDL's own threads stand in for other platform services. It owns a
// private GLib main context and everything ATK touches; the UI thread
// keeps its blocking event loop and only exchanges plain data with it:
// snapshots and keys go in, requests (a click, a focus) and key verdicts
// come out, and requests wake the UI loop through `wake`.
//
// Its life, all of it after the first frame:
//   1. the thread finds the bus (BusDiscovery); finding none ends it;
//   2. the UI thread, woken, writes AT_SPI_BUS_ADDRESS (only the UI thread
//      writes the environment) and lets the bridge start;
//   3. the bridge registers with the bus and serves until the window goes.
// Nothing here ever starts a process or prints anything.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/a11y/AccessibleTree.hpp"
#include "toolkit/a11y/AtkObjects.hpp"
#include "toolkit/a11y/AtkUtilHooks.hpp"
#include "toolkit/a11y/BusDiscovery.hpp"

namespace ui::a11y {

struct BridgeOptions {
    std::string applicationName;
    BusSources sources;
    bool hasRuntimeDir = false;  // $XDG_RUNTIME_DIR is set
    // Wakes the UI thread's loop; called from the bridge's thread.
    std::function<void()> wake;
};

// Whether a bridge may start at all: not with NO_AT_BRIDGE=1, and not where
// its peer-to-peer socket could only go into the home folder.
bool bridgeAllowed(const char* noAtBridge, bool hasRuntimeDir, bool peerToPeerHook);

class Bridge {
  public:
    // Starts the thread, or returns nullptr when the bridge may not run.
    static std::unique_ptr<Bridge> start(BridgeOptions options);
    // Stops the thread; it waits briefly, then leaves a thread stuck in a
    // blocking call to end with the process rather than hold up the exit.
    ~Bridge();
    Bridge(const Bridge&) = delete;
    Bridge& operator=(const Bridge&) = delete;

    // UI thread, after a wake: hands a found bus to the bridge and returns
    // what the bus asked for since the last call.
    std::vector<Request> service();
    // False once discovery found no bus: snapshots are not worth making.
    bool wantsSnapshots() const;
    // UI thread: the latest frame's objects. The bridge applies the newest
    // one it has when it gets to it; older ones are dropped unseen.
    void publish(AccessibleSnapshot snapshot);

    // UI thread: hands a key to the screen reader's listeners and waits up
    // to `wait` for their verdict: true when the screen reader consumed it
    // (one of its own commands). Empty when nobody listens yet, when the
    // verdict is late, while an earlier key's verdict is still out, or
    // after a slow one: a registry that does not answer costs one wait,
    // not one per key.
    std::optional<bool> key(const KeyEvent& key, std::chrono::milliseconds wait);

    struct Shared;

  private:
    explicit Bridge(std::shared_ptr<Shared> shared);
    std::shared_ptr<Shared> shared_;
};

}  // namespace ui::a11y
