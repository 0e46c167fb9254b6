#include "platform/sim/sim_shell.h"

#include "text/lower_case.h"
#include "text/utf8.h"

namespace {

// Keys compare as the registry compares them; one trailing backslash is
// no part of a key's name.
std::wstring keyName(std::wstring path) {
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

}  // namespace

SimShell::~SimShell() {
  for (const std::size_t id : observers_) registry_.removeObserver(id);
}

void SimShell::addProgram(const std::wstring& path, const std::wstring& className,
                          const std::wstring& title) {
  programs_[Text::lowerCased(path)] = Program{path, className, title};
}

bool SimShell::notifyRegistryChange(Registry::Root root, const std::wstring& subKey,
                                    const std::wstring& valueName, WindowHandle window,
                                    std::uint32_t message, std::uint32_t userData) {
  if (SimFaults::take(context_.faults.notifyRegistryChange)) return false;
  observers_.push_back(
      registry_.addObserver([this, root, key = keyName(subKey), valueName, window, message,
                             userData](Registry::Root changedRoot, const std::wstring& changedKey,
                                       const std::wstring& changedValue) {
        if (changedRoot == root && SimRegistry::sameName(keyName(changedKey), key) &&
            SimRegistry::sameName(changedValue, valueName)) {
          windows_.post(window, message, 0, static_cast<LParam>(userData));
        }
      }));
  return true;
}

bool SimShell::querySip(SipInfo& info) {
  if (SimFaults::take(context_.faults.querySip) || info.size != sizeof(SipInfo)) return false;
  info.flags = keyboardShown_ ? 1u : 0u;
  return true;
}

bool SimShell::execute(const ShellExecuteRequest& request) {
  const std::string file = "launch \"" + Text::toUtf8(request.file) + "\"";
  const std::wstring verb = Text::lowerCased(request.verb);
  const auto program = programs_.find(Text::lowerCased(request.file));
  if (SimFaults::take(context_.faults.execute) || (!verb.empty() && verb != L"open") ||
      program == programs_.end()) {
    context_.record(file + " failed");
    return false;
  }
  context_.record(file + " \"" + Text::toUtf8(request.parameters) + "\"");
  const Program& p = program->second;
  const std::size_t slash = p.path.find_last_of(L"\\/");
  const std::wstring exeFile = slash == std::wstring::npos ? p.path : p.path.substr(slash + 1);
  const std::uint32_t processId = processes_.addProcess(exeFile, p.path);
  windows_.setForegroundWindow(windows_.create(p.className, p.title, processId, true));
  return true;
}
