#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace vsm {

// The engine's texts are 8-bit bytes: channel data in Windows-1252, file names as the file system
// gives them. A text that is valid UTF-8 is shown as UTF-8, any other as Windows-1252.
QString DisplayText(std::string_view bytes);

// DisplayText with line breaks made for a message box: CR LF and lone CRs become LF.
QString MessageText(std::string_view bytes);

// A file or folder name as the file system's bytes, and back.
std::string FileSystemName(const QString& name);
QString FromFileSystemName(std::string_view name);

}  // namespace vsm
