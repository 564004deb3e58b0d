// Internal to platform/files: what each system says about an errno value.
#pragma once

#include <string>

namespace files {

// The system's own wording of an errno value, for the parentheses of FileErrorText.
std::u16string SystemErrorWording(int errorNumber);

// True for the errno values that mean the disk (or the user's quota) is full.
bool IsDiskFullError(int errorNumber);

}  // namespace files
