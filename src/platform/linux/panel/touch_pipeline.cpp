#include "platform/linux/panel/touch_pipeline.h"

#include <cstdint>

#include "ports/shared_registry.h"
#include "recognition/geometry.h"
#include "registry/registry_store.h"

TouchPipeline::TouchPipeline(RegistryPort& registry, HookPort& hook)
    : registry_(registry), hook_(hook) {}

TouchPipeline::~TouchPipeline() { unload(); }

bool TouchPipeline::switchOn(RegistryPort& registry) {
  RegistryStore store(registry);
  std::uint32_t value = 0;
  // A missing value, or one that is not a 32-bit number, counts as off.
  return store.ReadDword(TouchDriverRegistry::root, TouchDriverRegistry::key,
                         TouchDriverRegistry::multiTouchDemo, value) &&
         value != 0;
}

void TouchPipeline::readSwitch(bool wentOffMeanwhile) {
  if (wentOffMeanwhile) unload();
  const bool on = switchOn(registry_);
  if (on && !forwarder_) {
    forwarder_ = std::make_unique<TouchForwarder>(hook_, registry_);
    ++loadCount_;
    forwarder_->entryNotification(static_cast<std::uint32_t>(EntryReason::processAttach));
  } else if (!on && forwarder_) {
    unload();
  }
}

void TouchPipeline::unload() {
  if (!forwarder_) return;
  forwarder_->entryNotification(static_cast<std::uint32_t>(EntryReason::processDetach));
  forwarder_.reset();
}

bool TouchPipeline::decide(MultipointSample sample) noexcept {
  if (!forwarder_) return true;
  forwarder_->hook(sample);
  return sample.pointCount != 0;
}

bool TouchPipeline::decide(const PanelFrame& frame) noexcept {
  if (!decide(frame.sample)) return false;
  if (!forwarder_) return true;
  const Geometry::Rect2D area = forwarder_->touchArea();
  for (int k = 2; k < frame.contactCount; ++k) {
    const ScreenPoint& p = frame.points[static_cast<std::size_t>(k)];
    // Pixels as the hook sees them: quarter pixels divided by 4, truncated.
    const std::uint32_t px = p.x / 4u;
    const std::uint32_t py = p.y / 4u;
    if (!Geometry::contains(area, static_cast<double>(px), static_cast<double>(py))) {
      return false;
    }
  }
  return true;
}
