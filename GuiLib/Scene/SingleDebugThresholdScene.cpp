#include "SingleDebugThresholdScene.h"

#include <QBrush>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QPen>

#include "LabelItem.h"
#include "SegmentItem.h"
#include "SingleRawData.h"

namespace morvex_gui_qtlib {

namespace {

constexpr int kSumMode = 4;
constexpr int kPeakMode = 5;
constexpr int kBothSidesMode = 7;
// A peak of this or less is noise: no marker.
constexpr int kPeakFloor = 20;
constexpr double kLabelGap = 15.0;
constexpr double kLabelRise = 20.0;
constexpr double kMarkStart = 16.0;
constexpr double kLabelStart = 17.0;
// The mark is step - 10 wide; the peak line stands at its middle.
constexpr double kMarkShortening = 10.0;

const QPen& ThresholdPen() {
    static const QPen pen(QBrush(Qt::darkGreen, Qt::SolidPattern), 1, Qt::DotLine, Qt::SquareCap,
                          Qt::BevelJoin);
    return pen;
}

QString ThresholdText(int threshold) {
    return QStringLiteral("THR:") + QString::number(threshold);
}

}  // namespace

SingleDebugThresholdScene::SingleDebugThresholdScene(QGraphicsScene* scene,
                                                     morvex_gui::SingleRawData* state)
    : SingleDebugScene(scene, state),
      _upperLine(nullptr),
      _lowerLine(nullptr),
      _upperLabel(nullptr),
      _lowerLabel(nullptr),
      _peakLabel(nullptr),
      _peakLine(nullptr) {}

double SingleDebugThresholdScene::ThresholdOffset() const {
    return (_state->GetThreshold() / 2) / static_cast<double>(_state->GetDivisor());
}

bool SingleDebugThresholdScene::ShowsPeak() const {
    return _state->GetMode() == kSumMode || _state->GetMode() == kPeakMode;
}

bool SingleDebugThresholdScene::ShowsLowerLine() const {
    return _state->GetMode() == kBothSidesMode;
}

void SingleDebugThresholdScene::Layout(bool create) {
    SingleDebugScene::Layout(create);
    const QRectF rect = _scene->sceneRect();
    const double cy = rect.height() * 0.5;
    const double offset = ThresholdOffset();
    if (create) {
        CreateItems(rect.width(), cy, offset);
    } else if (_upperLine != nullptr) {
        PlaceThresholdItems(rect.width(), cy, offset);
    }
}

void SingleDebugThresholdScene::CreateItems(double width, double cy, double offset) {
    const QBrush darkGreen(Qt::darkGreen, Qt::SolidPattern);
    _upperLabel = LabelItem::Add(_scene, QString());
    _upperLabel->setBrush(darkGreen);
    _upperLine = SegmentItem::Add(_scene, QLineF(0, 0, 0, 0), ThresholdPen());
    _lowerLabel = LabelItem::Add(_scene, QString());
    _lowerLabel->setBrush(darkGreen);
    _lowerLine = SegmentItem::Add(_scene, QLineF(0, 0, 0, 0), ThresholdPen());
    PlaceThresholdItems(width, cy, offset);

    _peakLabel = LabelItem::Add(_scene, QStringLiteral("00000"));
    _peakLabel->setPos(0, 0);
    _peakLabel->setBrush(QBrush(Qt::red, Qt::SolidPattern));
    _peakLabel->setVisible(ShowsPeak());
    _peakLine = SegmentItem::Add(_scene, QLineF(0, 0, 0, 0), ThresholdPen());
}

void SingleDebugThresholdScene::PlaceThresholdItems(double width, double cy, double offset) {
    const int threshold = _state->GetThreshold();
    _upperLabel->setText(ThresholdText(threshold));
    _upperLabel->setPos(0, cy - offset - kLabelGap);
    _upperLine->setLine(0, cy - offset, width, cy - offset);
    _lowerLabel->setText(ThresholdText(-threshold));
    _lowerLabel->setPos(0, cy + offset + kLabelGap);
    _lowerLine->setLine(0, cy + offset, width, cy + offset);
    _lowerLabel->setVisible(ShowsLowerLine());
    _lowerLine->setVisible(ShowsLowerLine());
}

void SingleDebugThresholdScene::Update() {
    SingleDebugScene::Update();
    if (ShowsPeak()) {
        PlacePeak();
    }
    ColourByThreshold();
}

void SingleDebugThresholdScene::PlacePeak() {
    if (_peakLine == nullptr) {
        return;
    }
    const bool visible = _state->GetPeakValue() > kPeakFloor;
    _peakLine->setVisible(visible);
    _peakLabel->setVisible(visible);
    const double step = _bars.Step();
    const double height = _bars.Height();
    const double left = _state->GetPeakChannel() * step;
    _peakLabel->setPos(left + kLabelStart, height - kLabelRise);
    _peakLabel->setText(QString::number(_state->GetPeakValue()));
    const double x = left + kMarkStart + (step - kMarkShortening) * 0.5;
    _peakLine->setLine(x, height, x, 0);
}

// On screen this colouring replaces the limit colouring; the verdict stays the
// base's.
void SingleDebugThresholdScene::ColourByThreshold() {
    const std::vector<int>& values = _state->GetValues();
    const double limit = ThresholdOffset();
    const bool bothSides = ShowsLowerLine();
    const size_t count = ValueCount();
    for (size_t i = 0; i < count; ++i) {
        const double half = values[i] * 0.5;
        _bars.Colour(i, half > limit || (bothSides && half < -limit));
    }
}

}  // namespace morvex_gui_qtlib
