// The touch source with the panel's touch driver: a touchscreen, or a trace
// played through the same driver (its forwarder, its switch) without one.
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/app/touch_wiring.h"
#include "platform/linux/panel/touch_driver.h"
#include "platform/linux/panel/trace_touch_source.h"

namespace {

class DriverTouch final : public TouchInput {
 public:
  DriverTouch(const TouchOptions& options, RegistryPort& registry, HookPort& hook, Log& log)
      : driver_(registry, hook, driverOptions(options)),
        tracePath_(options.tracePath),
        passThrough_(options.tracePassThrough),
        log_(log) {}
  ~DriverTouch() override { DriverTouch::stop(); }

  bool start() override {
    if (tracePath_.empty()) return driver_.start();
    Trace::Trace trace;
    std::vector<std::string> problems;
    if (!TraceTouchSource::load(tracePath_, trace, problems)) {
      for (const std::string& problem : problems) log_.info(problem);
      log_.info("the trace is not played");
      return false;
    }
    trace_ = std::make_unique<TraceTouchSource>(driver_, std::move(trace));
    if (passThrough_) trace_->onPassed(passThrough_);
    log_.detail("playing " + tracePath_ + " instead of a touchscreen");
    return trace_->start();
  }
  void driverSwitchChanged() override { driver_.driverSwitchChanged(); }
  void setRotation(std::int32_t degrees) override { driver_.setRotation(degrees); }
  void stop() override {
    if (trace_) trace_->stop();
    trace_.reset();
    driver_.stop();
  }

 private:
  static TouchDriverOptions driverOptions(const TouchOptions& options) {
    TouchDriverOptions driver;
    driver.devicePath = options.devicePath;
    driver.screenWidth = options.screenWidth;
    driver.screenHeight = options.screenHeight;
    return driver;
  }

  LinuxTouchDriver driver_;
  std::string tracePath_;
  std::function<void(const MultipointSample&, bool)> passThrough_;
  Log& log_;
  std::unique_ptr<TraceTouchSource> trace_;
};

}  // namespace

std::unique_ptr<TouchInput> makeTouchInput(const TouchOptions& options, RegistryPort& registry,
                                           HookPort& hook, Log& log) {
  return std::make_unique<DriverTouch>(options, registry, hook, log);
}

bool checkTouchSource(const TouchOptions& options, std::string& report) {
  TouchDriverOptions driver;
  driver.devicePath = options.devicePath;
  driver.screenWidth = options.screenWidth;
  driver.screenHeight = options.screenHeight;
  return LinuxTouchDriver::check(driver, report);
}
