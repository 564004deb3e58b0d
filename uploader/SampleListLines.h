// The list lines the pictures of the uploader's window show (the screenshot programs).
#pragma once

#include <string>
#include <vector>

// The root's parent line, then directory and file lines with Japanese names, a large size, an
// empty file and a name longer than its column.
std::vector<std::u16string> SampleListLines();
