#pragma once

namespace gatevane {

// The platform's own modal message box with an OK button and the caption "温馨提示", for messages
// given outside the skinned windows (at start-up and by the update engine).
void ShowPlainMessageBox(const char* text);

}  // namespace gatevane
