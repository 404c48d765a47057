#pragma once

#include <optional>
#include <string>

namespace plovane {

// What the pack import asks of the desktop: a file dialog, result alerts and the file
// manager. Tests stand in for it.
class PackImportDesktop {
public:
    virtual ~PackImportDesktop() = default;
    // Runs the file dialog for one ".zip" file; nothing when the user cancels.
    virtual std::optional<std::string> chooseArchive(const std::string& title) = 0;
    // Runs a modal alert with a single "OK" button until the user dismisses it.
    virtual void showAlert(bool success, const std::string& title, const std::string& message) = 0;
    // Shows the folder in the desktop's file manager; failures are ignored.
    virtual void openFolder(const std::string& path) = 0;
};

} // namespace plovane
