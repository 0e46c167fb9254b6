#include "tasks/task_manager.h"

#include <algorithm>
#include <utility>

#include "text/lower_case.h"

namespace {

// Virtual keys and scan codes of the back key.
constexpr std::uint8_t vkBack = 0x08;  // Backspace, for the white-listed applications
constexpr std::uint8_t backScanCode = 0x8E;
constexpr std::uint8_t vkF4 = 0x73;  // the phone's "back" for everything else

constexpr std::int32_t showNormally = 5;

// Keeps at most `maxChars` - 1 characters, as a terminated buffer of
// `maxChars` would, whatever the platform handed back.
void fitBuffer(std::wstring& text, std::size_t maxChars) {
  if (text.size() > maxChars - 1) text.resize(maxChars - 1);
}

}  // namespace

TaskManager::TaskManager(WindowPort& windows, ProcessPort& processes, InputPort& input,
                         ShellPort& shell)
    : windows_(windows), processes_(processes), input_(input), shell_(shell) {}

void TaskManager::setBlackListClose(const List& list) { blackListClose_ = list; }
void TaskManager::setBlackListAll(const List& list) { blackListAll_ = list; }
void TaskManager::setBlackListSwitch(const List& list) { blackListSwitch_ = list; }
void TaskManager::setWhiteListBack(const List& list) { whiteListBack_ = list; }
const TaskManager::List& TaskManager::blackListClose() const { return blackListClose_; }
const TaskManager::List& TaskManager::blackListAll() const { return blackListAll_; }
const TaskManager::List& TaskManager::blackListSwitch() const { return blackListSwitch_; }
const TaskManager::List& TaskManager::whiteListBack() const { return whiteListBack_; }

bool TaskManager::launch(const std::wstring& path, const std::wstring& arguments) {
  // An empty binding (or one starting with a comma) names no program; the
  // shell is not asked to "open" nothing.
  if (path.empty()) return false;
  ShellExecuteRequest request;
  request.verb = L"open";
  request.file = path;
  request.parameters = arguments;
  request.showCommand = showNormally;
  return shell_.execute(request);
}

bool TaskManager::closeForegroundApp() {
  const WindowHandle window = windows_.foregroundWindow();
  std::uint32_t processId = 0;
  if (window == 0 || !windows_.windowProcessId(window, processId) || processId == 0) {
    return false;
  }
  const std::wstring name = windowAppName(window, NameForm::fullPath);
  if (nameListed(blackListClose_, name)) return false;
  // A program whose path cannot be read might be one the list protects,
  // and a close cannot be undone: it is left alone.
  if (name.empty()) return false;
  // Asked to close, never terminated; whether the post arrived is not known.
  windows_.postMessage(window, WindowMessage::close, 0, 0);
  return true;
}

bool TaskManager::switchToNextApp() {
  switchApp(true);
  return true;
}

bool TaskManager::switchToPreviousApp() {
  switchApp(false);
  return true;
}

bool TaskManager::sendBack() {
  const bool backspace = nameListed(whiteListBack_, foregroundAppName(NameForm::fullPath));
  const std::uint8_t key = backspace ? vkBack : vkF4;
  const std::uint8_t scanCode = backspace ? backScanCode : 0;
  input_.keyEvent(key, scanCode, KeyFlags::down, 0);
  input_.keyEvent(key, scanCode, KeyFlags::up, 0);
  return true;
}

std::wstring TaskManager::foregroundAppName(NameForm form) {
  return windowAppName(windows_.foregroundWindow(), form);
}

std::wstring TaskManager::windowAppName(WindowHandle window, NameForm form) {
  // No window, or no owner: no application, rather than whatever the
  // platform reports for process 0.
  std::uint32_t processId = 0;
  if (window == 0 || !windows_.windowProcessId(window, processId) || processId == 0) return {};
  std::wstring path;
  // A cut path would name another program: a path is read whole or not at
  // all.
  if (!processes_.moduleFileName(processId, modulePathChars, path) ||
      path.size() > modulePathChars - 1) {
    return {};
  }
  path = Text::lowerCased(std::move(path));
  if (form == NameForm::fileName) {
    // Either separator: Linux paths have slashes.
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos) path.erase(0, slash + 1);
  }
  return path;
}

bool TaskManager::isForegroundAppBlocked() {
  return nameListed(blackListAll_, foregroundAppName(NameForm::fullPath));
}

bool TaskManager::listContains(const List& list, const std::wstring& name) {
  return std::find(list.begin(), list.end(), name) != list.end();
}

std::size_t TaskManager::collectProcesses(std::vector<ProcessInfo>& list, std::size_t max) {
  if (max == 0) return 0;
  std::size_t added = 0;
  // A failed snapshot visits nothing.
  processes_.forEachProcess([&](const ProcessInfo& entry) {
    ProcessInfo info = entry;
    info.name = Text::lowerCased(entry.name);
    list.push_back(std::move(info));
    ++added;
    return added < max;
  });
  return added;
}

void TaskManager::attachWindows(std::vector<ProcessInfo>& list) {
  windows_.enumerateWindows([&](WindowHandle window) {
    std::uint32_t processId = 0;
    if (!windows_.windowProcessId(window, processId)) return true;
    const auto owner = std::find_if(list.begin(), list.end(),
                                    [&](const ProcessInfo& p) { return p.processId == processId; });
    if (owner == list.end() || !windows_.isWindowVisible(window)) return true;
    // A later visible window replaces an earlier one; the title is kept from
    // the last one that had text.
    owner->window = window;
    std::wstring text = windows_.windowText(window, windowTextChars);
    fitBuffer(text, windowTextChars);
    if (!text.empty()) owner->title = std::move(text);
    return true;
  });
}

void TaskManager::switchApp(bool forward) {
  std::vector<ProcessInfo> list;
  collectProcesses(list);
  attachWindows(list);
  if (list.empty()) return;

  // No application in front (no window, or its path unreadable): nothing to
  // switch from. An empty name must not pick a process whose name is empty.
  const std::wstring current = foregroundAppName(NameForm::fileName);
  if (current.empty()) return;
  const auto found = std::find_if(list.begin(), list.end(),
                                  [&](const ProcessInfo& p) { return p.name == current; });
  if (found == list.end()) return;

  // The walk wraps, so the current entry itself comes up last and is chosen
  // again when no other one is eligible. k stays within [0, n); the step
  // count is bounded by the list.
  const std::size_t n = list.size();
  std::size_t k = static_cast<std::size_t>(found - list.begin());
  for (std::size_t step = 0; step < n + 2; ++step) {
    if (forward) {
      k = (k + 1 == n) ? 0 : k + 1;
    } else {
      k = (k == 0) ? n - 1 : k - 1;
    }
    const ProcessInfo& candidate = list[k];
    if (candidate.window != 0 && !candidate.title.empty() &&
        !listContains(blackListSwitch_, candidate.name)) {
      windows_.setForegroundWindow(candidate.window);
      windows_.activateWindow(candidate.window);
      return;
    }
  }
}

bool TaskManager::nameListed(const List& list, const std::wstring& name) {
  return !name.empty() && listContains(list, name);
}
