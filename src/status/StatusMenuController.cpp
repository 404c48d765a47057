#include "status/StatusMenuController.h"

#include "status/MenuPlacement.h"
#include "status/OpacitySliderView.h"
#include "status/StatusIcon.h"
#include "status/StatusNotifierItem.h"
#include "status/SubmenuStyle.h"
#include "platform/AppIdentity.h"
#include "settings/HUDSettings.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTextBoundaryFinder>
#include <QWidgetAction>

namespace plovane {

namespace {

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

// A menu takes "&" as the mark of a keyboard mnemonic; ours are plain text.
QString menuText(QString text)
{
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

// The tooltip shows the whole of any name a person would give, and keeps a pasted novel
// within the screen.
constexpr qsizetype kLongestToolTipName = 64;

// A name cut for its tooltip between whole characters, never inside a joined emoji or
// before an accent.
QString toolTipName(const QString& name)
{
    if (name.size() <= kLongestToolTipName)
        return name;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, name);
    characters.setPosition(kLongestToolTipName);
    if (!characters.isAtBoundary())
        characters.toPreviousBoundary();
    return name.left(characters.position()) + QChar(0x2026);
}

QString menuText(const std::string& text)
{
    return menuText(qs(text));
}

// Submenu headers: small, semibold, greyed.
QAction* addHeader(QMenu& menu)
{
    QAction* header = menu.addAction(QString());
    header->setEnabled(false);
    QFont font = menu.font();
    font.setPixelSize(10);
    font.setWeight(QFont::DemiBold);
    header->setFont(font);
    return header;
}

// Whether two lists of submenu entries have the same rows, whatever their titles and
// check marks say.
template <class Entry>
bool sameRows(std::vector<Entry> a, std::vector<Entry> b)
{
    for (auto* entries : {&a, &b})
        for (Entry& entry : *entries) {
            entry.title.clear();
            entry.checked = false;
            if constexpr (requires { entry.subtitle; })
                entry.subtitle.clear();
        }
    return a == b;
}

constexpr int kThumbnailSide = 18;
// A pack's name is the user's own and may be of any length: the menu shows this much of it
// (the whole name is the row's tooltip).
constexpr int kLongestNameWidth = 240;
// The status icon is at most 64 pixels, cut from part of a sprite.
constexpr int kLargestIconSprite = 256;
// The property of a character row that names its thumbnail's file.
constexpr const char* kThumbnailPath = "thumbnailPath";
// The renderings a StatusNotifierItem host picks from.
constexpr std::array<int, 5> kNotifierIconSides{16, 22, 24, 32, 48};

} // namespace

StatusMenuController::StatusMenuController(StatusMenuActions actions, std::unique_ptr<StatusArea> area,
                                           MenuDismissal::IdleReading compositorIdle)
    : actions_(std::move(actions)), area_(std::move(area)), host_(area_->host()),
      targetStyle_(std::make_unique<SubmenuStyle>()), characterStyle_(std::make_unique<SubmenuStyle>(kThumbnailSide)),
      menu_(std::make_unique<QMenu>()), dismissal_(std::move(compositorIdle)), pictures_(*this, [this] { picturesRead(); })
{
    buildMenu();

    auto panelAsksForMenu = [this](QPoint at) {
        // GNOME Shell opens the menu it draws on a click and asks for ours only on a double
        // click, its own already open: ours would be a second copy.
        if (host_ != TrayHost::inlineStatusNotifier)
            openMenuAt(at);
    };
    notifier_ = new StatusNotifierItem(QString::fromUtf8(kAppName.data(), static_cast<qsizetype>(kAppName.size())),
                                       panelAsksForMenu, this);
    if (notifier_->exportOnSessionBus()) {
        notifier_->setMenu(menu_.get());
        area_->setItemService(notifier_->serviceName().toStdString());
    } else {
        delete notifier_;
        notifier_ = nullptr;
    }
    area_->setOnChanged([this](TrayHost host) { hostChanged(host); });

    connect(&spriteWatcher_, &QFileSystemWatcher::fileChanged, this, [this] {
        if (actions_.spriteFilesChanged)
            actions_.spriteFilesChanged();
    });
    connect(&spriteWatcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (actions_.spriteFilesChanged)
            actions_.spriteFilesChanged();
    });
}

StatusMenuController::~StatusMenuController()
{
    // The icon and the exported item refer to the menu; they go first.
    delete tray_;
    tray_ = nullptr;
    delete notifier_;
    notifier_ = nullptr;
}

// The form of the menu a host shows: our own widgets, plain items, or plain items with
// the enhancement rows in a submenu.
TrayHost menuForm(TrayHost host)
{
    return drawsExportedMenu(host) ? host : TrayHost::xembed;
}

void StatusMenuController::hostChanged(TrayHost host)
{
    host_ = host;
    if (menuForm(host) != builtFor_) {
        // The same rows in the other form: built again and filled as they were.
        menu_->hide();
        menu_.release()->deleteLater();
        menu_ = std::make_unique<QMenu>();
        rows_ = {};
        targetEntries_.clear();
        characterEntries_.clear();
        targetItems_.clear();
        characterItems_.clear();
        thumbnailsShown_.clear();
        opacitySteps_.clear();
        opacityMenu_ = nullptr;
        enhancementsMenu_ = nullptr;
        opacityView_ = nullptr;
        buildMenu();
        if (content_) {
            const StatusMenuContent content = *content_;
            apply(content);
        }
        if (checkedTargets_)
            syncTargetChecks(*checkedTargets_);
        if (checkedCharacter_)
            syncCharacterChecks(*checkedCharacter_);
        if (notifier_)
            notifier_->setMenu(menu_.get());
    }
    // A panel that draws status items shows the exported one; our own icon window would
    // stand beside it in a tray of the same desktop.
    if (drawsExportedMenu(host_)) {
        if (tray_)
            tray_->hide();
    } else {
        showTrayIcon();
    }
}

void StatusMenuController::showTrayIcon()
{
    // Nothing to show before the first icon; the item appears with it.
    if (!iconSet_)
        return;
    if (!tray_) {
        tray_ = new QSystemTrayIcon(this);
        connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason) {
            openMenuBeside(tray_->geometry());
        });
    }
    tray_->setIcon(icon_);
    tray_->setToolTip(toolTip_);
    if (!tray_->isVisible())
        tray_->show();
}

void StatusMenuController::buildMenu()
{
    builtFor_ = menuForm(host_);
    QMenu* into = menu_.get();
    QMenu& menu = *menu_;
    auto plain = [&](StatusRow r, const std::function<void()>& action) {
        QAction* item = into->addAction(QString());
        if (action)
            connect(item, &QAction::triggered, this, [action] { action(); });
        rows_[static_cast<std::size_t>(r)] = item;
    };
    auto info = [&](StatusRow r) {
        QAction* item = into->addAction(QString());
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
    if (builtFor_ == TrayHost::inlineStatusNotifier) {
        enhancementsMenu_ = new QMenu(&menu);
        menu.addMenu(enhancementsMenu_);
        into = enhancementsMenu_;
    }
    plain(StatusRow::aiSensing, actions_.toggleAiIdeSensing);
    plain(StatusRow::screenIntel, actions_.toggleScreenIntelligence);
    info(StatusRow::permissionStatus);
    info(StatusRow::ideState);
    plain(StatusRow::accessibilityPermission, actions_.requestAccessibilityPermission);
    plain(StatusRow::screenPermission, actions_.requestScreenRecordingPermission);
    plain(StatusRow::setupWizard, actions_.openFirstRunSetup);
    into = &menu;
    separatorAfter(StatusRow::setupWizard);

    targetMenu_ = new QMenu(&menu);
    targetMenu_->setStyle(targetStyle_.get());
    rows_[static_cast<std::size_t>(StatusRow::targetRoot)] = menu.addMenu(targetMenu_);
    info(StatusRow::rotateHint);
    separatorAfter(StatusRow::rotateHint);

    characterMenu_ = new QMenu(&menu);
    characterMenu_->setStyle(characterStyle_.get());
    characterMenu_->setToolTipsVisible(true);
    rows_[static_cast<std::size_t>(StatusRow::characterRoot)] = menu.addMenu(characterMenu_);
    separatorAfter(StatusRow::characterRoot);

    plain(StatusRow::langToggle, actions_.toggleLanguage);
    separatorAfter(StatusRow::langToggle);
    plain(StatusRow::quit, actions_.quitApp);
    row(StatusRow::quit).setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    for (QMenu* m : {menu_.get(), characterMenu_})
        connect(m, &QMenu::aboutToShow, this, [this] {
            if (actions_.menuAboutToShow)
                actions_.menuAboutToShow();
        });

    // An open popup menu takes the keyboard, and shortcuts of its own rows do not reach
    // it: the menus pass the quit key on themselves.
    for (QMenu* m : {menu_.get(), targetMenu_, characterMenu_, opacityMenu_, enhancementsMenu_})
        if (m)
            m->installEventFilter(this);
}

bool StatusMenuController::eventFilter(QObject* watched, QEvent* event)
{
    // Users double-click status icons out of habit. The menu opened on the first click
    // lies beside the icon, and the second click, on the icon, leaves it open.
    if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) &&
        watched == menu_.get()) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (menuOpened_.isValid() && menuOpened_.elapsed() < QApplication::doubleClickInterval() &&
            menuIcon_.contains(mouse->globalPosition().toPoint()) && !menu_->rect().contains(mouse->position().toPoint()))
            return true;
    }
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
    if (enhancementsMenu_)
        enhancementsMenu_->setTitle(menuText(content.enhancementsTitle));
    if (opacityView_)
        opacityView_->updateLanguage();
    syncOpacitySteps();
    toolTip_ = qs(content.toolTip);
    if (tray_)
        tray_->setToolTip(toolTip_);
    if (notifier_)
        notifier_->setToolTip(toolTip_);
    buildTargetMenu(content.targets);
    buildCharacterMenu(content.characters);
    content_ = content;
}

void StatusMenuController::setIdeStateLine(const std::string& title)
{
    if (content_)
        content_->row(StatusRow::ideState).title = title;
    const QString text = menuText(title);
    QAction& line = row(StatusRow::ideState);
    if (line.text() != text)
        line.setText(text);
}

void StatusMenuController::buildTargetMenu(const std::vector<TargetMenuEntry>& entries)
{
    // The same rows in another language or with other check marks are rewritten in place:
    // a panel then learns of changed rows, not of new ones.
    const bool rebuild = targetItems_.empty() || !sameRows(targetEntries_, entries);
    if (rebuild) {
        targetMenu_->clear();
        targetItems_.clear();
    }
    targetEntries_ = entries;
    const QList<QAction*> built = targetMenu_->actions();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TargetMenuEntry& entry = entries[i];
        QAction* row = rebuild ? nullptr : built[static_cast<qsizetype>(i)];
        switch (entry.kind) {
        case TargetMenuEntry::Kind::separator:
            if (rebuild)
                targetMenu_->addSeparator();
            break;
        case TargetMenuEntry::Kind::header:
            if (rebuild)
                row = addHeader(*targetMenu_);
            row->setText(menuText(entry.title));
            break;
        case TargetMenuEntry::Kind::target: {
            if (rebuild) {
                row = targetMenu_->addAction(QString());
                row->setCheckable(true);
                row->setData(qs(entry.rawValue));
                connect(row, &QAction::triggered, this, [this, raw = entry.rawValue] {
                    if (actions_.selectAchillesTarget)
                        actions_.selectAchillesTarget(raw);
                });
                targetItems_.push_back(row);
            }
            // Where rows are ours, the description goes under the title; a panel's own
            // menu takes one line per item.
            row->setText(menuText(widgetRows() ? entry.title + "\n" + entry.subtitle : entry.title));
            row->setChecked(entry.checked);
            break;
        }
        }
    }
}

void StatusMenuController::buildCharacterMenu(const std::vector<CharacterMenuEntry>& entries)
{
    // As for the targets: hundreds of packs are not new rows for a panel at each refresh.
    const bool rebuild = characterItems_.empty() || !sameRows(characterEntries_, entries);
    if (rebuild) {
        characterMenu_->clear();
        characterItems_.clear();
        thumbnailsShown_.clear();
    }
    characterEntries_ = entries;
    const QList<QAction*> built = characterMenu_->actions();
    const QFontMetrics names(characterMenu_->font());
    std::size_t character = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const CharacterMenuEntry& entry = entries[i];
        QAction* row = rebuild ? nullptr : built[static_cast<qsizetype>(i)];
        switch (entry.kind) {
        case CharacterMenuEntry::Kind::separator:
            if (rebuild)
                characterMenu_->addSeparator();
            break;
        case CharacterMenuEntry::Kind::header:
            if (rebuild)
                row = addHeader(*characterMenu_);
            row->setText(menuText(entry.title));
            break;
        case CharacterMenuEntry::Kind::character: {
            if (rebuild) {
                row = characterMenu_->addAction(QString());
                row->setProperty(kThumbnailPath, qs(entry.thumbnailPath));
                row->setCheckable(true);
                row->setData(qs(entry.rawValue));
                connect(row, &QAction::triggered, this, [this, raw = entry.rawValue] {
                    if (actions_.selectCharacter)
                        actions_.selectCharacter(raw);
                });
                characterItems_.push_back(row);
                thumbnailsShown_.emplace_back();
            }
            const QString name = qs(entry.title);
            const QString shown = names.elidedText(name, Qt::ElideRight, kLongestNameWidth);
            row->setText(menuText(shown));
            row->setToolTip(shown != name ? toolTipName(name) : QString());
            row->setChecked(entry.checked);
            // Also for a row kept: a pack imported again under its folder's name may bring
            // another thumbnail.
            showThumbnail(character++);
            break;
        }
        case CharacterMenuEntry::Kind::importPack:
            if (rebuild)
                connect(row = characterMenu_->addAction(QString()), &QAction::triggered, this, [this] {
                    if (actions_.importCharacterPack)
                        actions_.importCharacterPack();
                });
            row->setText(menuText(entry.title));
            break;
        case CharacterMenuEntry::Kind::openFolder:
            if (rebuild)
                connect(row = characterMenu_->addAction(QString()), &QAction::triggered, this, [this] {
                    if (actions_.openCustomSpritesFolder)
                        actions_.openCustomSpritesFolder();
                });
            row->setText(menuText(entry.title));
            break;
        }
    }
}

void StatusMenuController::syncTargetChecks(const AchillesTargetSet& selected)
{
    checkedTargets_ = selected;
    for (QAction* item : targetItems_) {
        if (auto target = fromRaw<AchillesTarget>(item->data().toString().toStdString()))
            item->setChecked(selected.contains(*target));
    }
}

void StatusMenuController::syncCharacterChecks(const std::string& chosenRaw)
{
    checkedCharacter_ = chosenRaw;
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

void StatusMenuController::drawIcon()
{
    const QImage sprite = iconPath_.empty() ? QImage()
                                            : pictures_.picture(iconPath_, kLargestIconSprite,
                                                                SpritePictures::Shape::within);
    icon_ = sprite.isNull() ? StatusIcon::blank() : StatusIcon::make(sprite);
    iconSet_ = true;
    if (notifier_) {
        QList<QImage> renderings;
        for (int side : kNotifierIconSides)
            renderings.append(StatusIcon::render(sprite, side));
        notifier_->setIcon(renderings);
    }
    if (!drawsExportedMenu(host_))
        showTrayIcon();
}

void StatusMenuController::showThumbnail(std::size_t row)
{
    QAction* item = characterItems_[row];
    const std::string path = item->property(kThumbnailPath).toString().toStdString();
    auto version = imageFileKey(path);
    if (version && version == thumbnailsShown_[row])
        return;
    const QImage thumbnail = pictures_.picture(path, kThumbnailSide, SpritePictures::Shape::square);
    // A file that does not load (yet: a large one is read on a worker) keeps what the row shows.
    if (thumbnail.isNull())
        return;
    item->setIcon(QIcon(QPixmap::fromImage(thumbnail)));
    thumbnailsShown_[row] = std::move(version);
}

void StatusMenuController::picturesRead()
{
    for (std::size_t i = 0; i < characterItems_.size(); ++i)
        showThumbnail(i);
    if (iconSet_)
        drawIcon();
}

bool StatusMenuController::setIcon(const std::string& spritePath)
{
    const QString path = qs(spritePath);
    iconPath_ = spritePath;
    drawIcon();

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

void StatusMenuController::setIconDescription(const std::string& text)
{
    if (notifier_)
        notifier_->setIconDescription(qs(text));
}

void StatusMenuController::openMenuAt(const QPoint& point)
{
    QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        openMenuBeside(iconAreaAround(point, screen->geometry(), screen->availableGeometry()));
}

void StatusMenuController::openMenuBeside(const QRect& icon)
{
    if (menu_->isVisible())
        return;
    // A tray that has not placed the icon yet: where the pointer is.
    if (icon.isEmpty()) {
        openMenuAt(QCursor::pos());
        return;
    }
    QScreen* screen = QGuiApplication::screenAt(icon.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    menu_->ensurePolished();
    menuIcon_ = icon;
    menuOpened_.start();
    menu_->popup(menuPositionBeside(icon, menu_->sizeHint(), screen->geometry()));
}

} // namespace plovane
