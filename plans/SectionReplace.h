#pragma once
// Replaces one section of config.ini as a whole, in one replacement of the file: every section
// of that name (compared as the profile store compares names: ASCII letters without case, blanks
// around the name dropped) is taken out with its lines, and the new text is appended at the end.
// The other sections keep their bytes. The file is written through FileReplacement, so it is at
// every moment the old file or the whole new one; a read-only file is left alone.

#include <string_view>

#include "text/Text.h"

namespace exambell {

// sectionText: the header line and the key lines, GBK, CR LF; empty removes the section.
bool replaceSection(std::string_view configPath, std::string_view section,
                    std::string_view sectionText);

// The content with every section of that name taken out (for the above and its tests).
Text withoutSection(std::string_view content, std::string_view section);

}  // namespace exambell
