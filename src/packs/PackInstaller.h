#pragma once

#include <string>
#include <system_error>

namespace plovane {

// Why installing a pack failed, and the installed folder it was meant for.
struct InstallError {
    std::string path;
    std::error_code code;
    explicit operator bool() const { return static_cast<bool>(code); }
};

// Copies the pack folder `source` to `packsFolder`/`folderName`. The copy is made beside
// any installed pack of that name under a hidden name and swapped in only once complete,
// so a failed copy leaves the installed pack as it was. Only plain files and folders are
// copied, as 0644 and 0755 (no set-id or execute bits), never through a link.
InstallError installPackFolder(const std::string& source, const std::string& packsFolder,
                               const std::string& folderName);

// "XXXXXXXX-XXXX-4XXX-YXXX-XXXXXXXXXXXX" in upper-case hexadecimal, fresh each call.
std::string newUuidString();

} // namespace plovane
