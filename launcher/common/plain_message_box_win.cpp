#include "launcher/common/plain_message_box_win.h"

#include <windows.h>

namespace gatevane {

void ShowPlainMessageBox(const char* text) {
    ::MessageBoxA(nullptr, text, "温馨提示", MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

}  // namespace gatevane
