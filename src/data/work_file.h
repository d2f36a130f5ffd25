#pragma once
// Whole-file rewrites that leave the old file or the new one, never a cut
// one: the bytes go to a work file beside the file, which then takes its
// place in one step (FileSystem::CreateWorkFile, ReplaceByWorkFile).
#include <string>
#include <string_view>

#include "host/files.h"

namespace vestil {

// 0, or the Windows error code of the step that failed (the old file stays).
int ReplaceWholeFile(FileSystem& files, const std::string& path, std::string_view bytes);

}  // namespace vestil
