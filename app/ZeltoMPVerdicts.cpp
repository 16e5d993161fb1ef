#include <QLabel>
#include <QMetaObject>
#include <QTimer>

#include "CoreDevice.h"
#include "OperationLog.h"
#include "QtWindowImp.h"
#include "ZeltoMP.h"

namespace {

// What one way of ending an item means for it.
enum class Outcome { kNone, kOk, kNg, kFromResult };

// The bridge commands that follow a verdict before the next item.
enum class Steps { kNone, kResetRecovery, kQuitAndPowerOff };

constexpr int kCountdownIntervalMs = 1000;

}  // namespace

// One row of the automatic page's verdict table.
struct ZeltoMP::VerdictRule {
    int id;
    Outcome onTimer0;
    Outcome onTimer1;
    Outcome onResult;
    const char* recordKey;      // nullptr: no record of the window's own
    const char* timeoutRecord;  // stored on a time-out verdict; nullptr: none
    const char* resultRecord;   // stored on a reported verdict; nullptr: none
    Steps deviceSteps;
    ItemSlot next;  // nullptr: the end of the sequence
};

namespace {

using Rule = ZeltoMP::VerdictRule;
constexpr Outcome kNone = Outcome::kNone;
constexpr Outcome kOk = Outcome::kOk;
constexpr Outcome kNg = Outcome::kNg;
constexpr Outcome kFromResult = Outcome::kFromResult;

const Rule kVerdictRules[] = {
    {ZeltoMP::kDebugItem, kNone, kOk, kNg, nullptr, nullptr, nullptr, Steps::kNone,
     &ZeltoMP::SingleRaw},
    {ZeltoMP::kBorderItem, kNg, kNone, kOk, nullptr, nullptr, nullptr, Steps::kNone,
     &ZeltoMP::NormalPrecise},
    {ZeltoMP::kLinearityItem, kNg, kNone, kFromResult, nullptr, nullptr, nullptr, Steps::kNone,
     &ZeltoMP::NormalBorder},
    {ZeltoMP::kPreciseItem, kNg, kNone, kOk, nullptr, nullptr, nullptr, Steps::kNone,
     &ZeltoMP::Jitter},
    {ZeltoMP::kButtonNormalItem, kNg, kNone, kOk, nullptr, nullptr, nullptr, Steps::kNone,
     &ZeltoMP::ButtonRawData},
    {ZeltoMP::kButtonRawDataItem, kNone, kOk, kNg, nullptr, nullptr, nullptr, Steps::kNone,
     &ZeltoMP::ButtonSingleRaw},
    {ZeltoMP::kSingleRawItem, kNone, kNone, kFromResult, nullptr, nullptr, nullptr, Steps::kNone,
     &ZeltoMP::NormalLinearity},
    {ZeltoMP::kButtonSingleRawItem, kNone, kNone, kFromResult, nullptr, nullptr, nullptr,
     Steps::kNone, nullptr},
    {ZeltoMP::kRasterXItem, kNone, kOk, kNg, "raster x", "Raster X: ,Pass\r\n", nullptr,
     Steps::kNone, &ZeltoMP::RasterRY},
    {ZeltoMP::kRasterYItem, kNone, kOk, kNg, "raster y", "Raster Y: ,Pass\r\n", nullptr,
     Steps::kNone, &ZeltoMP::Active},
    {ZeltoMP::kActiveItem, kNone, kOk, kNg, nullptr, nullptr, nullptr, Steps::kNone,
     &ZeltoMP::ButtonNormal},
    {ZeltoMP::kJitterItem, kNone, kOk, kNg, nullptr, nullptr, nullptr, Steps::kNone,
     &ZeltoMP::RasterRX},
    {ZeltoMP::kResetItem, kNg, kNone, kOk, "reset", "Reset: ,Fail\r\n", "Reset: ,Pass\r\n",
     Steps::kResetRecovery, &ZeltoMP::Attb},
    {ZeltoMP::kAttbItem, kNone, kOk, kNg, "attb", "Attb: ,Pass\r\n", "Attb: ,Fail\r\n",
     Steps::kQuitAndPowerOff, &ZeltoMP::Debug},
};

const Rule* FindRule(int id) {
    for (const Rule& rule : kVerdictRules) {
        if (rule.id == id) {
            return &rule;
        }
    }
    return nullptr;
}

QString CountText(int seconds) {
    return QStringLiteral("<FONT COLOR=BLUE>") + QString::number(seconds) +
           QStringLiteral("</FONT>");
}

const QString kOkCountdown = QStringLiteral("<FONT COLOR=GREEN> OK </FONT>");
const QString kNgCountdown = QStringLiteral("<FONT COLOR=RED> NG </FONT>");

}  // namespace

void ZeltoMP::startTimer(int num) {
    if (_timeout == 0 && !OnAutomaticPage()) {
        StopCountdown();
        return;
    }
    initTimer(num);
}

void ZeltoMP::initTimer(int i) {
    StopCountdown();
    ui.countdown_label->setText(CountText(_timeout));
    _verdictArmed = true;
    if (i == 0) {
        _timer0->start(kCountdownIntervalMs);
    } else if (i == 1) {
        _timer1->start(kCountdownIntervalMs);
    }
}

void ZeltoMP::TimerTrigger() {
    --_timeout;
    if (_timeout > 0) {
        if (OnAutomaticPage()) {
            ShowItemCount(mode_flag);
        } else {
            ui.countdown_label->setText(CountText(_timeout));
        }
        return;
    }
    _verdictArmed = false;
    const int timer = _timer0->isActive() ? 0 : (_timer1->isActive() ? 1 : -1);
    if (timer < 0) {
        return;
    }
    (timer == 0 ? _timer0 : _timer1)->stop();
    if (OnAutomaticPage()) {
        ApplyTimeoutVerdict(timer);
    } else {
        ui.countdown_label->setText(timer == 0 ? kNgCountdown : kOkCountdown);
    }
}

void ZeltoMP::ShowItemCount(int id) {
    if (QLabel* label = ResultLabel(id)) {
        label->setText(ItemName(id) + QStringLiteral(": ") + CountText(_timeout));
    }
}

void ZeltoMP::ApplyTimeoutVerdict(int timer) {
    const VerdictRule* rule = FindRule(mode_flag);
    if (rule == nullptr) {
        return;
    }
    const Outcome outcome = timer == 0 ? rule->onTimer0 : rule->onTimer1;
    if (outcome == Outcome::kNone) {
        // No verdict for this way of ending: the sequence waits.
        return;
    }
    ApplyVerdict(*rule, outcome == Outcome::kOk, rule->timeoutRecord);
}

void ZeltoMP::ResultTimer(bool result) {
    if (!_verdictArmed) {
        // No countdown runs: a verdict now belongs to no item.
        return;
    }
    StopCountdown();
    ui.countdown_label->setText(result ? kOkCountdown : kNgCountdown);
    if (!OnAutomaticPage()) {
        if (mode_flag == kResetItem) {
            Later([this] { ResetRecovery(); });
        } else if (mode_flag == kAttbItem) {
            Later([this] { QuitAndPowerOff(); });
        }
        return;
    }
    const VerdictRule* rule = FindRule(mode_flag);
    if (rule == nullptr || rule->onResult == Outcome::kNone) {
        return;
    }
    const bool ok =
        rule->onResult == Outcome::kFromResult ? result : rule->onResult == Outcome::kOk;
    ApplyVerdict(*rule, ok, rule->resultRecord);
}

void ZeltoMP::ApplyVerdict(const VerdictRule& rule, bool ok, const char* recordText) {
    if (QLabel* label = ResultLabel(rule.id)) {
        label->setText(ItemName(rule.id) + (ok ? QStringLiteral(": <FONT COLOR=GREEN>OK</FONT>")
                                               : QStringLiteral(": <FONT COLOR=RED>NG</FONT>")));
    }
    if (!ok) {
        _overallPass = false;
    }
    if (rule.recordKey != nullptr && recordText != nullptr) {
        _imp->SetResult(rule.recordKey, recordText);
    }
    if (rule.next == nullptr) {
        // Button Single Raw judged: the panel is done.
        ShowOverallVerdict(_imp->SaveResults());
        Later([this] { _device->PowerOff(); });
        return;
    }
    // The verdict may come from inside a reply's parsing or a scene's update:
    // the device steps and the next item wait until that is done.
    const Steps steps = rule.deviceSteps;
    const ItemSlot next = rule.next;
    Later([this, steps, next] {
        if (steps == Steps::kResetRecovery) {
            ResetRecovery();
        } else if (steps == Steps::kQuitAndPowerOff) {
            QuitAndPowerOff();
        }
        (this->*next)();
    });
}

void ZeltoMP::Later(std::function<void()> step) {
    const unsigned generation = _runGeneration;
    QMetaObject::invokeMethod(
        this,
        [this, generation, step = std::move(step)] {
            if (generation != _runGeneration) {
                return;
            }
            // Later steps queued beside this one are outdated by it.
            StartNewRun();
            step();
        },
        Qt::QueuedConnection);
}

void ZeltoMP::ResetRecovery() {
    _device->Quit();
    _device->Send("n");
    _device->UserMode();
    _device->Quit();
    _device->I2cMode();
    _device->PowerOn();
    _device->UserMode();
}

void ZeltoMP::QuitAndPowerOff() {
    _device->PowerOff();
    _device->Quit();
}

void ZeltoMP::AutoTest() {
    if (StartUpReading()) {
        // Nothing is sent into the start-up: the run waits for its information,
        // or, should the watch end with "No FW", for that end.
        HoldUntilPanelRead([this] { AutoTest(); }, true);
        return;
    }
    // A new run replaces whatever the previous one was still doing.
    StopCountdown();
    StartNewRun();
    _device->Send("n");
    ShowWaitTexts();
    BeginRunRecord();
    LOG4CPLUS_INFO(OperationLogger(), "Start automatic test");
    StartFirstItem();
}

void ZeltoMP::BeginRunRecord() {
    // Whatever a manual item, a run given up or an earlier port session
    // judged or recorded is not this run's.
    _overallPass = true;
    _imp->DiscardResults();
}

void ZeltoMP::StartFirstItem() {
    if (!ui.normal_label->isHidden()) {
        _device->SlaveVersionState();
        return;
    }
    const std::pair<int, ItemSlot> sequence[] = {
        {kResetItem, &ZeltoMP::Reset},
        {kAttbItem, &ZeltoMP::Attb},
        {kDebugItem, &ZeltoMP::Debug},
        {kSingleRawItem, &ZeltoMP::SingleRaw},
        {kLinearityItem, &ZeltoMP::NormalLinearity},
        {kBorderItem, &ZeltoMP::NormalBorder},
        {kPreciseItem, &ZeltoMP::NormalPrecise},
        {kJitterItem, &ZeltoMP::Jitter},
        {kRasterXItem, &ZeltoMP::RasterRX},
        {kRasterYItem, &ZeltoMP::RasterRY},
        {kActiveItem, &ZeltoMP::Active},
        {kButtonNormalItem, &ZeltoMP::ButtonNormal},
        {kButtonRawDataItem, &ZeltoMP::ButtonRawData},
        {kButtonSingleRawItem, &ZeltoMP::ButtonSingleRaw},
    };
    for (const auto& entry : sequence) {
        if (!ResultLabel(entry.first)->isHidden()) {
            (this->*entry.second)();
            return;
        }
    }
}

void ZeltoMP::EndSequence() {
    LOG4CPLUS_INFO(OperationLogger(), "Save automatic test data and results");
    ShowOverallVerdict(_imp->SaveResults());
    LOG4CPLUS_INFO(OperationLogger(), "Automatic test end");
    if (_enterNormalCheckBox != nullptr && _enterNormalCheckBox->isChecked()) {
        _device->NormalState();
    } else {
        _device->Quit();
        _device->PowerOff();
    }
}

void ZeltoMP::ShowOverallVerdict(bool saved) {
    QString verdict = _overallPass ? QStringLiteral("Pass") : QStringLiteral("NG");
    if (!saved) {
        // The records are not on disk yet: the verdict stands, but on red, with
        // the warning at half size so that both fit the banner's width.
        verdict += QStringLiteral("<span style=\"font-size:14pt\">, not saved</span>");
    }
    ui.result_label->setText(QStringLiteral("<font color=white>") + verdict +
                             QStringLiteral("<font>"));
    ui.result_label->setStyleSheet(_overallPass && saved ? QStringLiteral("background-color: blue")
                                                         : QStringLiteral("background-color: red"));
}
