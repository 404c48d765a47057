#pragma once

#include "packs/PackImportDesktop.h"

namespace plovane {

// The real thing: QFileDialog, QMessageBox and QDesktopServices.
class QtPackImportDesktop final : public PackImportDesktop {
public:
    std::optional<std::string> chooseArchive(const std::string& title) override;
    void showAlert(bool success, const std::string& title, const std::string& message) override;
    void openFolder(const std::string& path) override;
};

} // namespace plovane
