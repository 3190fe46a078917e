#include <atomic>

#include "platform/text_object.h"

namespace platform {

namespace {

void LeaveUnchanged(TextObject&) {}

std::atomic<TextHook> g_hook{&LeaveUnchanged};

}  // namespace

void SetTextHook(TextHook hook) {
  g_hook.store(hook ? hook : &LeaveUnchanged);
}

void CallTextHook(TextObject& text) {
  g_hook.load()(text);
}

}  // namespace platform
