#include "ReportBox.h"

#include "SessionLog.h"

namespace meru {

namespace {
MessageBoxPort* g_port = nullptr;
}

void SetMessageBoxPort(MessageBoxPort* port) { g_port = port; }

MessageBoxPort* CurrentMessageBoxPort() { return g_port; }

int ReportBox(WindowRef owner, const char* text, const char* caption, unsigned type) {
    if (text == nullptr) text = "";
    if (caption != nullptr) LogPrintf("%s:", caption);
    LogPrintf("%s\n", text);
    if (g_port == nullptr) return kAnswerCancel;
    return g_port->Show(owner, text, caption, type);
}

}  // namespace meru
