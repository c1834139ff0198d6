#pragma once

// The bridge's peer-to-peer socket. On a client's first contact the bridge
// answers Application.GetApplicationBusAddress by creating a listening
// socket file in $XDG_RUNTIME_DIR, or in ~/.cache without that variable,
// which only an atexit handler removes again: a file written by a program
// that promises to write none. Answering that question ourselves with an
// empty address keeps every client on the accessibility bus, where it works
// just as well, and no socket is ever made.
//
// The bridge's own answer also records the caller as a client, which turns
// on its event delivery at once. That function is exported but has no
// header; it is looked up at run time, and without it the socket stays on,
// allowed only inside $XDG_RUNTIME_DIR.

namespace ui::a11y {

// Whether the bridge's private client hook is there to call.
bool peerToPeerHookFound();

// Installs the answer on the bridge's own connection. Bridge thread only,
// after the bridge started; does nothing without the hook.
void refusePeerToPeer();

}  // namespace ui::a11y
