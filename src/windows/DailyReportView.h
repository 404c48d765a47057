#pragma once

#include "platform/Signal.h"
#include "windows/DailyReportRows.h"
#include "windows/WindowEnvironment.h"

#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <array>
#include <map>
#include <random>
#include <string>
#include <vector>

class QScrollArea;

namespace plovane {

class DiveEngine;

// Today's report in a dark, game-styled card: a header with the pet, the date and the
// total online time, then the time per state and the top applications. It follows the
// engine while shown, and repaints only when something it shows has changed.
class DailyReportView final : public QWidget {
    Q_OBJECT
public:
    static constexpr double kWidth = 320.0;
    static constexpr double kHeaderHeight = 150.0;

    // What the report shows, computed from the engine and the language. Two equal models
    // look the same.
    struct Model {
        bool zh{false};
        QString date;
        QString total;
        std::vector<StateBarRow> states;
        std::vector<int> stateFills; // bar fill widths, in whole points
        std::vector<DailyStats::AppUsage> apps;
        std::vector<int> appFills;
        long long maxSec{1};
        long long totalSeconds{0};
        std::string character;
        // Equal apart from the bars' lengths: what a rebuild (new stars and all) is for.
        bool sameTexts(const Model& other) const;
        bool operator==(const Model& other) const;
    };

    struct Star {
        double opacity;
        double size;
    };
    static constexpr std::array<double, 12> kStarX{28, 55, 80, 110, 145, 180, 200, 240, 270, 290, 310, 180};
    static constexpr std::array<double, 12> kStarY{20, 45, 15, 60, 30, 10, 50, 25, 40, 15, 55, 70};

    DailyReportView(DiveEngine& engine, WindowEnvironment env = {}, QWidget* parent = nullptr);
    ~DailyReportView() override;

    const Model& model() const { return model_; }
    const std::array<Star, 12>& stars() const { return stars_; }
    // How many times the content was rebuilt (a new model, new stars).
    int rebuildCount() const { return rebuilds_; }
    // Whether the pet's sprite loaded; otherwise the "person.fill" symbol stands in.
    bool showsSprite() const { return !sprite_.isNull(); }
    // How many times an image (sprite or icon) was made.
    int imageLoads() const { return imageLoads_; }
    // Height of the whole scrolling page.
    int pageHeight() const;
    QScrollArea& scrollArea() const { return *scroll_; }
    // Applies pending changes of the engine or the language at once (normally queued).
    void refreshNow();
    // Paints the whole page, scrolled to the top, into an image (for looking at it whole).
    QImage renderPage();

    static QString stateCardTitle(bool zh);
    static QString appsCardTitle(bool zh);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    class Page;
    friend class Page;

    Model buildModel() const;
    void observe(bool on);
    void scheduleRefresh();
    void rebuild(Model model);
    void loadSprite(const std::string& character);
    QPixmap iconFor(const std::string& bundleID);
    void paintPage(QPainter& p) const;
    void paintHeader(QPainter& p) const;
    double paintCard(QPainter& p, double top, const QString& title, double contentHeight,
                     const std::function<void(const QRectF&)>& content) const;
    double stateContentHeight() const;
    double appsContentHeight() const;

    DiveEngine& engine_;
    WindowEnvironment env_;
    AppLanguage& language_;
    HUDSettings& settings_;
    Model model_;
    std::array<Star, 12> stars_{};
    std::mt19937 random_{std::random_device{}()};
    int rebuilds_{0};
    int imageLoads_{0};
    bool refreshQueued_{false};
    std::vector<Connection> observers_;

    QPixmap sprite_;
    QImage spriteShadow_;
    double spriteShadowMargin_{0};
    std::map<std::string, QPixmap> icons_;

    QScrollArea* scroll_{nullptr};
    QPointer<QWidget> page_;
};

} // namespace plovane
