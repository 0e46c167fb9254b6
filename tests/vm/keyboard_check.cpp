// A uinput keyboard's keys read back from its event node: the path by which
// the checks of the program see the keys it types.
//
//   vm-keyboard
#include <chrono>
#include <string>
#include <vector>

#include "event_reader.h"
#include "uinput_device.h"
#include "vm_report.h"

int main() {
  VmReport report;
  std::string error;
  const std::vector<unsigned> keys = {KEY_RIGHT, KEY_LEFT, KEY_UP, KEY_DOWN, KEY_A};
  auto keyboard = UinputDevice::create(keyboardDescription("zem check keyboard", keys), error);
  if (!report.check("uinput keyboard created", keyboard != nullptr, error)) {
    return report.exitCode();
  }
  EventReader reader(keyboard->node(), false);
  if (!report.check("keyboard node opened", reader.ok(), reader.error())) {
    return report.exitCode();
  }
  // Each key down then up, each in its own frame, in the order written.
  std::vector<input_event> expected;
  for (unsigned key : keys) {
    for (int value : {1, 0}) {
      const std::vector<input_event> frame = {makeEvent(EV_KEY, key, value),
                                              makeEvent(EV_SYN, SYN_REPORT, 0)};
      keyboard->write(frame);
      expected.insert(expected.end(), frame.begin(), frame.end());
    }
  }
  reader.waitFor(expected.size(), std::chrono::milliseconds(2000));
  const std::vector<input_event> got = reader.events();
  bool same = got.size() == expected.size();
  for (std::size_t i = 0; same && i < got.size(); ++i) {
    same = got[i].type == expected[i].type && got[i].code == expected[i].code &&
           got[i].value == expected[i].value;
  }
  report.check(
      "every key down and up reads back in order", same,
      "got " + std::to_string(got.size()) + " events, expected " + std::to_string(expected.size()));
  return report.exitCode();
}
