// The installed engine host and the defaults of its operations.
#include "engine/engine_host.h"

#include "engine/render_band.h"

namespace {
EngineHost g_default_host;
EngineHost* g_host = &g_default_host;
}  // namespace

void EngineHost::run_render_bands(RenderBandArgs* first, RenderBandArgs* second) {
  render_band(first);
  render_band(second);
}

EngineHost& engine_host() { return *g_host; }

EngineHost* set_engine_host(EngineHost* host) {
  EngineHost* previous = g_host == &g_default_host ? nullptr : g_host;
  g_host = host ? host : &g_default_host;
  return previous;
}
