#include "platform/sim/sim_touch_driver.h"

#include <utility>

#include "ports/shared_registry.h"

SimTouchDriver::SimTouchDriver(SimRegistry& registry, SimWindows& windows, Events events)
    : registry_(registry), hookPort_(windows), events_(std::move(events)) {
  if (events_.debugLine) hookPort_.setDebugSink(events_.debugLine);
  if (events_.post) hookPort_.setPostSink(events_.post);
  observerId_ = registry_.addObserver(
      [this](Registry::Root root, const std::wstring& subKey, const std::wstring& valueName) {
        if (root == TouchDriverRegistry::root &&
            SimRegistry::sameName(subKey, TouchDriverRegistry::key) &&
            SimRegistry::sameName(valueName, TouchDriverRegistry::multiTouchDemo)) {
          switchChanged();
        }
      });
  switchChanged();
}

SimTouchDriver::~SimTouchDriver() {
  registry_.removeObserver(observerId_);
  unload();
}

void SimTouchDriver::switchChanged() {
  // A missing value, or one that is not 4 bytes, counts as off.
  const bool on = registry_
                      .dwordValue(TouchDriverRegistry::root, TouchDriverRegistry::key,
                                  TouchDriverRegistry::multiTouchDemo)
                      .value_or(0) != 0;
  if (on && !loaded()) {
    load();
  } else if (!on && loaded()) {
    unload();
  }
}

void SimTouchDriver::load() {
  library_ = std::make_unique<TouchForwarder>(hookPort_, registry_);
  ++loadCount_;
  if (events_.loaded) events_.loaded();
  library_->entryNotification(static_cast<std::uint32_t>(EntryReason::processAttach));
}

void SimTouchDriver::unload() {
  if (!library_) return;
  library_->entryNotification(static_cast<std::uint32_t>(EntryReason::processDetach));
  library_.reset();
  if (events_.unloaded) events_.unloaded();
}

bool SimTouchDriver::feed(MultipointSample sample) {
  const MultipointSample panel = sample;
  if (library_) library_->hook(sample);
  const bool passed = sample.pointCount != 0;
  if (passed) penInput_.push_back(sample);
  if (events_.sample) events_.sample(panel, passed);
  return passed;
}

void SimTouchDriver::startThread() {
  if (library_) library_->entryNotification(static_cast<std::uint32_t>(EntryReason::threadAttach));
}

void SimTouchDriver::endThread() {
  if (library_) library_->entryNotification(static_cast<std::uint32_t>(EntryReason::threadDetach));
}

std::vector<MultipointSample> SimTouchDriver::takePenInput() {
  return std::exchange(penInput_, {});
}
