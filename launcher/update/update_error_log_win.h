#pragma once

namespace gatevane {

// Appends `line` and "\r\n" to UpdateError.log in the current directory (created when missing),
// the operators' record of failed updates. Failures to write it are ignored.
void AppendUpdateError(const char* line);

}  // namespace gatevane
