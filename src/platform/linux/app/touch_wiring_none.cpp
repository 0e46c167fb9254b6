// The touch source of a build without the panel's touch driver.
#include "platform/linux/app/touch_wiring.h"

namespace {

class NoTouch final : public TouchInput {
 public:
  bool start() override { return true; }
  void driverSwitchChanged() override {}
  void setRotation(std::int32_t) override {}
  void stop() override {}
};

}  // namespace

std::unique_ptr<TouchInput> makeTouchInput(const TouchOptions&, RegistryPort&, HookPort&,
                                           Log& log) {
  log.info("no touch source: this build has no touch driver; settings and commands still work");
  return std::make_unique<NoTouch>();
}

bool checkTouchSource(const TouchOptions&, std::string& report) {
  report += "touchscreen: not read by this build (it has no touch driver)\n";
  return false;
}
