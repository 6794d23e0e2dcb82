// Replacing a file's whole content so that a crash or a full disk never leaves
// it half written.
#pragma once

#include <functional>
#include <string>

#include "settings/IniFormat.h"

// Writes the new content through the sink; false when the old content could
// not be read completely.
using ContentProducer = std::function<bool(const ini::Sink&)>;

// Writes a temporary file beside the file (beside a symbolic link's target, so
// the link stays), syncs it and renames it over the file, keeping the old
// permission bits (a new file gets 0666 less the umask). When the folder refuses
// the temporary file but the file itself is writable, the file is rewritten in
// place instead, which is not atomic but the best that can be done there.
// Returns false when nothing could be written; the old file is then unchanged
// unless the in-place rewrite itself failed part way, and no temporary file is
// left behind.
bool ReplaceFileContent(const std::string& path, const ContentProducer& produce);
