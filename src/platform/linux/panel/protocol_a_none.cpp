// A build without mtdev reads protocol-B panels only.
#include "platform/linux/panel/frame_assembler.h"

std::unique_ptr<ProtocolATranslator> makeProtocolATranslator(const PanelDescription&) {
  return nullptr;
}
