#pragma once

#include "packs/PackImportDesktop.h"

#include <memory>

class QFileDialog;
class QMessageBox;

namespace plovane {

// The real thing: QFileDialog, QMessageBox and QDesktopServices. The dialog and the
// alerts stay above the floating HUD while they are open.
class QtPackImportDesktop final : public PackImportDesktop {
public:
    std::optional<std::string> chooseArchive(const std::string& title) override;
    void showAlert(bool success, const std::string& title, const std::string& message) override;
    void openFolder(const std::string& path) override;
};

// The open panel, ready to run: ZIP archives only (a typed path to another kind of file
// is refused with a word why, and the panel stays open), starting in Downloads.
std::unique_ptr<QFileDialog> makeArchiveDialog(const std::string& title);
// Whether the picture at `path` decodes whole (Qt's own decoder, as the HUD draws it).
bool decodesWhole(const std::string& path);
// The result alert, ready to run: the title in bold, the message as plain text wrapped to
// the alert's width however long a name in it is, and one "OK" button.
std::unique_ptr<QMessageBox> makePackAlert(bool success, const std::string& title, const std::string& message);

} // namespace plovane
