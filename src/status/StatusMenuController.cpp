#include "status/StatusMenuController.h"

#include "status/OpacitySliderView.h"
#include "status/StatusIcon.h"
#include "status/SubmenuStyle.h"
#include "platform/Log.h"
#include "settings/HUDSettings.h"

#include <QAction>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidgetAction>

namespace plovane {

namespace {

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

// A menu takes "&" as the mark of a keyboard mnemonic; ours are plain text.
QString menuText(const std::string& text)
{
    return qs(text).replace(QLatin1Char('&'), QLatin1String("&&"));
}

// Submenu headers: small, semibold, greyed.
QAction* addHeader(QMenu& menu, const std::string& title)
{
    QAction* header = menu.addAction(menuText(title));
    header->setEnabled(false);
    QFont font = menu.font();
    font.setPixelSize(10);
    font.setWeight(QFont::DemiBold);
    header->setFont(font);
    return header;
}

constexpr int kThumbnailSide = 18;

} // namespace

StatusMenuController::StatusMenuController(StatusMenuActions actions, TrayHost host)
    : actions_(std::move(actions)), host_(host), targetStyle_(std::make_unique<SubmenuStyle>()),
      characterStyle_(std::make_unique<SubmenuStyle>(kThumbnailSide)), menu_(std::make_unique<QMenu>())
{
    buildMenu();

    tray_ = new QSystemTrayIcon(this);
    tray_->setContextMenu(menu_.get());
    // The context click opens the menu on its own; every other click opens it too.
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::MiddleClick)
            popUpAtPointer();
    });
    connect(&spriteWatcher_, &QFileSystemWatcher::fileChanged, this, [this] {
        if (actions_.spriteFilesChanged)
            actions_.spriteFilesChanged();
    });
    connect(&spriteWatcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (actions_.spriteFilesChanged)
            actions_.spriteFilesChanged();
    });

    if (host_ == TrayHost::none)
        logWarning("No status area on this desktop: the settings stay reachable from the HUD's right-click menu.");
    else
        logDebug("Status item shown by the " + std::string(describe(host_)));
}

StatusMenuController::~StatusMenuController()
{
    // The icon refers to the menu; it goes first.
    delete tray_;
    tray_ = nullptr;
}

void StatusMenuController::buildMenu()
{
    QMenu& menu = *menu_;
    auto plain = [&](StatusRow r, const std::function<void()>& action) {
        QAction* item = menu.addAction(QString());
        if (action)
            connect(item, &QAction::triggered, this, [action] { action(); });
        rows_[static_cast<std::size_t>(r)] = item;
    };
    auto info = [&](StatusRow r) {
        QAction* item = menu.addAction(QString());
        item->setEnabled(false);
        rows_[static_cast<std::size_t>(r)] = item;
    };
    auto separatorAfter = [&](StatusRow r) {
        if (separatorFollows(r))
            menu.addSeparator();
    };

    plain(StatusRow::toggleHud, actions_.toggleHUD);
    separatorAfter(StatusRow::toggleHud);

    if (widgetRows()) {
        auto* slider = new QWidgetAction(&menu);
        opacityView_ = new OpacitySliderView();
        slider->setDefaultWidget(opacityView_);
        menu.addAction(slider);
        rows_[static_cast<std::size_t>(StatusRow::opacitySlider)] = slider;
    } else {
        opacityMenu_ = new QMenu(&menu);
        for (double step : kOpacitySteps) {
            QAction* item = opacityMenu_->addAction(qs(opacityValueText(step)));
            item->setCheckable(true);
            connect(item, &QAction::triggered, this, [this, step] {
                HUDSettings::shared().idleOpacity = step;
                syncOpacitySteps();
            });
            opacitySteps_.push_back(item);
        }
        QAction* root = menu.addMenu(opacityMenu_);
        rows_[static_cast<std::size_t>(StatusRow::opacitySlider)] = root;
    }

    plain(StatusRow::drainSettings, actions_.openDrainSettings);
    plain(StatusRow::compactMode, actions_.toggleCompactMode);
    plain(StatusRow::knockHint, actions_.toggleKnockHint);
    separatorAfter(StatusRow::knockHint);
    plain(StatusRow::aiSensing, actions_.toggleAiIdeSensing);
    plain(StatusRow::screenIntel, actions_.toggleScreenIntelligence);
    info(StatusRow::permissionStatus);
    info(StatusRow::ideState);
    plain(StatusRow::accessibilityPermission, actions_.requestAccessibilityPermission);
    plain(StatusRow::screenPermission, actions_.requestScreenRecordingPermission);
    plain(StatusRow::setupWizard, actions_.openFirstRunSetup);
    separatorAfter(StatusRow::setupWizard);

    targetMenu_ = new QMenu(&menu);
    targetMenu_->setStyle(targetStyle_.get());
    rows_[static_cast<std::size_t>(StatusRow::targetRoot)] = menu.addMenu(targetMenu_);
    info(StatusRow::rotateHint);
    separatorAfter(StatusRow::rotateHint);

    characterMenu_ = new QMenu(&menu);
    characterMenu_->setStyle(characterStyle_.get());
    rows_[static_cast<std::size_t>(StatusRow::characterRoot)] = menu.addMenu(characterMenu_);
    separatorAfter(StatusRow::characterRoot);

    plain(StatusRow::langToggle, actions_.toggleLanguage);
    separatorAfter(StatusRow::langToggle);
    plain(StatusRow::quit, actions_.quitApp);
    row(StatusRow::quit).setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    // An open popup menu takes the keyboard, and shortcuts of its own rows do not reach
    // it: the menus pass the quit key on themselves.
    for (QMenu* m : {menu_.get(), targetMenu_, characterMenu_, opacityMenu_})
        if (m)
            m->installEventFilter(this);
}

bool StatusMenuController::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (QKeySequence(key->keyCombination()) == row(StatusRow::quit).shortcut()) {
            menu_->close();
            row(StatusRow::quit).trigger();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void StatusMenuController::apply(const StatusMenuContent& content)
{
    for (std::size_t i = 0; i < kStatusRowCount; ++i) {
        const auto r = static_cast<StatusRow>(i);
        const StatusRowContent& c = content.row(r);
        QAction& item = row(r);
        if (r == StatusRow::opacitySlider)
            continue;
        item.setText(menuText(c.title));
        item.setCheckable(c.checkable);
        item.setChecked(c.checkable && c.checked);
        item.setEnabled(c.enabled);
    }
    opacityTitle_ = content.opacityTitle;
    if (opacityView_)
        opacityView_->updateLanguage();
    syncOpacitySteps();
    tray_->setToolTip(qs(content.toolTip));
    buildTargetMenu(content.targets);
    buildCharacterMenu(content.characters);
}

void StatusMenuController::setIdeStateLine(const std::string& title)
{
    const QString text = menuText(title);
    QAction& line = row(StatusRow::ideState);
    if (line.text() != text)
        line.setText(text);
}

void StatusMenuController::buildTargetMenu(const std::vector<TargetMenuEntry>& entries)
{
    targetMenu_->clear();
    targetItems_.clear();
    for (const auto& entry : entries) {
        switch (entry.kind) {
        case TargetMenuEntry::Kind::separator:
            targetMenu_->addSeparator();
            break;
        case TargetMenuEntry::Kind::header:
            addHeader(*targetMenu_, entry.title);
            break;
        case TargetMenuEntry::Kind::target: {
            // Where rows are ours, the description goes under the title; a panel's own
            // menu takes one line per item.
            const std::string text = widgetRows() ? entry.title + "\n" + entry.subtitle : entry.title;
            QAction* item = targetMenu_->addAction(menuText(text));
            item->setCheckable(true);
            item->setChecked(entry.checked);
            item->setData(qs(entry.rawValue));
            connect(item, &QAction::triggered, this, [this, raw = entry.rawValue] {
                if (actions_.selectAchillesTarget)
                    actions_.selectAchillesTarget(raw);
            });
            targetItems_.push_back(item);
            break;
        }
        }
    }
}

void StatusMenuController::buildCharacterMenu(const std::vector<CharacterMenuEntry>& entries)
{
    characterMenu_->clear();
    characterItems_.clear();
    for (const auto& entry : entries) {
        switch (entry.kind) {
        case CharacterMenuEntry::Kind::separator:
            characterMenu_->addSeparator();
            break;
        case CharacterMenuEntry::Kind::header:
            addHeader(*characterMenu_, entry.title);
            break;
        case CharacterMenuEntry::Kind::character: {
            QAction* item = characterMenu_->addAction(menuText(entry.title));
            const QImage thumbnail(qs(entry.thumbnailPath));
            if (!thumbnail.isNull())
                item->setIcon(QIcon(QPixmap::fromImage(thumbnail.scaled(kThumbnailSide, kThumbnailSide,
                                                                        Qt::IgnoreAspectRatio,
                                                                        Qt::FastTransformation))));
            item->setCheckable(true);
            item->setChecked(entry.checked);
            item->setData(qs(entry.rawValue));
            connect(item, &QAction::triggered, this, [this, raw = entry.rawValue] {
                if (actions_.selectCharacter)
                    actions_.selectCharacter(raw);
            });
            characterItems_.push_back(item);
            break;
        }
        case CharacterMenuEntry::Kind::importPack:
            connect(characterMenu_->addAction(menuText(entry.title)), &QAction::triggered, this, [this] {
                if (actions_.importCharacterPack)
                    actions_.importCharacterPack();
            });
            break;
        case CharacterMenuEntry::Kind::openFolder:
            connect(characterMenu_->addAction(menuText(entry.title)), &QAction::triggered, this, [this] {
                if (actions_.openCustomSpritesFolder)
                    actions_.openCustomSpritesFolder();
            });
            break;
        }
    }
}

void StatusMenuController::syncTargetChecks(const AchillesTargetSet& selected)
{
    for (QAction* item : targetItems_) {
        if (auto target = fromRaw<AchillesTarget>(item->data().toString().toStdString()))
            item->setChecked(selected.contains(*target));
    }
}

void StatusMenuController::syncCharacterChecks(const std::string& chosenRaw)
{
    const QString chosen = qs(chosenRaw);
    for (QAction* item : characterItems_)
        item->setChecked(item->data().toString() == chosen);
}

void StatusMenuController::syncOpacitySteps()
{
    if (!opacityMenu_)
        return;
    const std::string current = opacityValueText(HUDSettings::shared().idleOpacity);
    opacityMenu_->setTitle(menuText(opacityTitle_ + "  " + current));
    for (std::size_t i = 0; i < opacitySteps_.size(); ++i)
        opacitySteps_[i]->setChecked(opacityValueText(kOpacitySteps[i]) == current);
}

bool StatusMenuController::setIcon(const std::string& spritePath)
{
    const QString path = qs(spritePath);
    const QImage sprite = path.isEmpty() ? QImage() : QImage(path);
    tray_->setIcon(sprite.isNull() ? StatusIcon::blank() : StatusIcon::make(sprite));
    if (!tray_->isVisible())
        tray_->show();

    // Watch the file for new contents and its folder for frames coming and going.
    const QStringList watched = spriteWatcher_.files() + spriteWatcher_.directories();
    if (!watched.isEmpty())
        spriteWatcher_.removePaths(watched);
    if (path.isEmpty())
        return false;
    const QFileInfo file(path);
    bool watching = spriteWatcher_.addPath(file.absolutePath());
    if (file.exists())
        watching = spriteWatcher_.addPath(file.absoluteFilePath()) && watching;
    return watching;
}

void StatusMenuController::popUpAtPointer()
{
    if (!menu_->isVisible())
        menu_->popup(QCursor::pos());
}

} // namespace plovane
