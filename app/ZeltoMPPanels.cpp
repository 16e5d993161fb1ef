#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "CoreDevice.h"
#include "Settings.h"
#include "StringConvert.h"
#include "TestGlobals.h"
#include "ZeltoMP.h"

namespace {

// A manual list row is this high.
constexpr int kManualRowHeight = 28;
constexpr int kModeSwitchPauseMs = 200;

struct ManualButton {
    const char* text;
    const char* switchKey;
    ZeltoMP::ItemSlot slot;
};

const ManualButton kManualButtons[] = {
    {"Normal", "ModeSwitch/normal_mode", &ZeltoMP::Normal},
    {"Reset", "ModeSwitch/reset_mode", &ZeltoMP::Reset},
    {"Attb", "ModeSwitch/attb_mode", &ZeltoMP::Attb},
    {"Debug", "ModeSwitch/debug_mode", &ZeltoMP::Debug},
    {"Border", "ModeSwitch/border_mode", &ZeltoMP::NormalBorder},
    {"Linearity", "ModeSwitch/linearity_mode", &ZeltoMP::NormalLinearity},
    {"Precise", "ModeSwitch/precise_mode", &ZeltoMP::NormalPrecise},
    {"Jitter", "ModeSwitch/jitter_mode", &ZeltoMP::Jitter},
    {"Button Normal", "ModeSwitch/b_normal_mode", &ZeltoMP::ButtonNormal},
    {"Raster x", "ModeSwitch/raster_x_mode", &ZeltoMP::RasterRX},
    {"Raster y", "ModeSwitch/raster_y_mode", &ZeltoMP::RasterRY},
    {"Active", "ModeSwitch/active_mode", &ZeltoMP::Active},
    {"Button RawData", "ModeSwitch/b_debug_mode", &ZeltoMP::ButtonRawData},
};

// An item of the automatic list; switchKey nullptr with placed true: always
// listed; placed false: never listed.
struct AutoItem {
    int id;
    const char* text;
    const char* switchKey;
    bool placed;
};

const AutoItem kAutoItems[] = {
    {ZeltoMP::kSlaveCheck, "SlaveVersion Check", nullptr, true},
    {ZeltoMP::kResetItem, "Reset Mode Test", "ModeSwitch/reset_mode", true},
    {ZeltoMP::kAttbItem, "Attb Mode Test", "ModeSwitch/attb_mode", true},
    {ZeltoMP::kDebugItem, "Debug Mode Test", "ModeSwitch/debug_mode", true},
    {ZeltoMP::kSingleRawItem, "Single Raw Test", nullptr, false},
    {ZeltoMP::kLinearityItem, "Linearity Mode Test", "ModeSwitch/linearity_mode", true},
    {ZeltoMP::kBorderItem, "Border Mode Test", "ModeSwitch/border_mode", true},
    {ZeltoMP::kPreciseItem, "Precise Mode Test", "ModeSwitch/precise_mode", true},
    {ZeltoMP::kJitterItem, "Jitter Mode Test", "ModeSwitch/jitter_mode", true},
    {ZeltoMP::kRasterXItem, "Raster X Mode Test", "ModeSwitch/raster_x_mode", true},
    {ZeltoMP::kRasterYItem, "Raster Y Mode Test", "ModeSwitch/raster_y_mode", true},
    {ZeltoMP::kActiveItem, "Active Mode Test", "ModeSwitch/active_mode", true},
    {ZeltoMP::kButtonNormalItem, "Button Normal Mode Test", "ModeSwitch/b_normal_mode", true},
    {ZeltoMP::kButtonRawDataItem, "Button Rawdata Mode Test", "ModeSwitch/b_debug_mode", true},
    {ZeltoMP::kButtonSingleRawItem, "Button SingleRaw Mode Test", nullptr, false},
};

// The result label and the name shown on it, per item id.
struct ResultLabelInfo {
    QLabel* Ui_ZeltoMP::*label;
    const char* name;
};

const ResultLabelInfo kResultLabels[ZeltoMP::kItemCount] = {
    {nullptr, nullptr},
    {&Ui_ZeltoMP::normal_label, "Slave Check"},
    {&Ui_ZeltoMP::debug_label, "Debug"},
    {nullptr, nullptr},
    {&Ui_ZeltoMP::border_label, "Border"},
    {&Ui_ZeltoMP::linearity_label, "Linearity"},
    {&Ui_ZeltoMP::precise_label, "Precise"},
    {&Ui_ZeltoMP::b_normal_label, "Button Normal"},
    {&Ui_ZeltoMP::b_debug_label, "Button Rawdata"},
    {&Ui_ZeltoMP::singleRaw_label, "Single Raw"},
    {&Ui_ZeltoMP::b_singleRaw_label, "Button Single Raw"},
    {&Ui_ZeltoMP::raster_x_label, "Raster X"},
    {&Ui_ZeltoMP::raster_y_label, "Raster Y"},
    {&Ui_ZeltoMP::active_label, "Active"},
    {&Ui_ZeltoMP::jitter_label, "Jitter"},
    {&Ui_ZeltoMP::reset_label, "Reset"},
    {&Ui_ZeltoMP::attb_label, "Attb"},
};

bool HasResultLabel(int id) {
    return id > 0 && id < ZeltoMP::kItemCount && kResultLabels[id].label != nullptr;
}

}  // namespace

QLabel* ZeltoMP::ResultLabel(int id) {
    return HasResultLabel(id) ? ui.*kResultLabels[id].label : nullptr;
}

QString ZeltoMP::ItemName(int id) {
    return HasResultLabel(id) ? QString::fromLatin1(kResultLabels[id].name) : QString();
}

QString ZeltoMP::WaitText(int id) {
    return ItemName(id) + QStringLiteral(": <FONT COLOR=DimGray>Wait...</FONT>");
}

QCheckBox* ZeltoMP::ItemCheckBox(int id) const {
    return id > 0 && id < kItemCount ? _itemBoxes[id].data() : nullptr;
}

void ZeltoMP::StoreProgramWideTestValues() {
    g_disconnectTestPeriod = IntSetting("disconnect_test_period");
    g_disconnectionTest = IntSetting("ModeSwitch/disconnection_test");
    g_jitterXThreshold = StringToDouble(_settings->GetValue("jitter_x_threshold"));
    g_jitterYThreshold = StringToDouble(_settings->GetValue("jitter_y_threshold"));
}

void ZeltoMP::InitNormalTestUI() {
    // The list replaces the form's fixed buttons.
    ui.frame->hide();
    StoreProgramWideTestValues();
    ui.mode_listWidget->clear();
    for (const ManualButton& entry : kManualButtons) {
        if (SwitchOn(entry.switchKey)) {
            AddManualButton(QString::fromLatin1(entry.text), entry.slot);
        }
    }
}

void ZeltoMP::AddManualButton(const QString& text, ItemSlot slot) {
    auto* row = new QListWidgetItem(ui.mode_listWidget);
    // Set as data: setSizeHint drops a size without a width.
    row->setData(Qt::SizeHintRole, QSize(-1, kManualRowHeight));
    auto* button = new QPushButton(text);
    ui.mode_listWidget->setItemWidget(row, button);
    connect(button, &QPushButton::clicked, this, slot);
}

void ZeltoMP::InitAutoTestUI() {
    ui.auto_listWidget->clear();
    ReleaseCheckBoxes();
    StoreProgramWideTestValues();
    for (const AutoItem& entry : kAutoItems) {
        const bool placed =
            entry.placed && (entry.switchKey == nullptr || SwitchOn(entry.switchKey));
        QCheckBox* box = AddAutoCheckBox(entry.id, QString::fromLatin1(entry.text), placed);
        if (placed && entry.switchKey != nullptr) {
            box->setChecked(true);
        }
    }
    _enterNormalCheckBox = new QCheckBox(QStringLiteral("Enter normal after auto_test"));
    ui.auto_listWidget->setItemWidget(new QListWidgetItem(ui.auto_listWidget),
                                      _enterNormalCheckBox);
    _enterNormalCheckBox->setChecked(true);
    _itemBoxes[kSlaveCheck]->setChecked(true);
    ResultLabelUnShown();
    // Each label follows its box's state, never a guess at what a click will do.
    for (int id = 1; id < kItemCount; ++id) {
        if (QCheckBox* box = _itemBoxes[id].data()) {
            connect(box, &QCheckBox::toggled, this, [this, id] { ShowResultLabel(id); });
        }
    }
}

QCheckBox* ZeltoMP::AddAutoCheckBox(int id, const QString& text, bool placed) {
    auto* box = new QCheckBox(text);
    _itemBoxes[id] = box;
    if (placed) {
        ui.auto_listWidget->setItemWidget(new QListWidgetItem(ui.auto_listWidget), box);
    } else {
        // Never shown, but read by every label reset until the next rebuild.
        _unplacedBoxes.emplace_back(box);
    }
    return box;
}

void ZeltoMP::ReleaseCheckBoxes() {
    // Placed boxes went with the list's rows.
    _unplacedBoxes.clear();
    _itemBoxes.fill(nullptr);
    _enterNormalCheckBox = nullptr;
}

void ZeltoMP::ResultLabelUnShown() {
    for (int id = 1; id < kItemCount; ++id) {
        if (QLabel* label = ResultLabel(id)) {
            const QCheckBox* box = _itemBoxes[id].data();
            label->setVisible(box != nullptr && box->isChecked());
        }
    }
    ShowWaitTexts();
}

void ZeltoMP::ShowWaitTexts() {
    for (int id = 1; id < kItemCount; ++id) {
        if (QLabel* label = ResultLabel(id)) {
            label->setText(WaitText(id));
        }
    }
    _slaveCheckVerdict.clear();
    ui.result_label->setText(QString());
    ui.result_label->setStyleSheet(QStringLiteral("background-color: rgb(240,240,240)"));
}

void ZeltoMP::ShowResultLabel(int id) {
    QLabel* label = ResultLabel(id);
    if (label == nullptr) {
        return;
    }
    const QCheckBox* box = _itemBoxes[id].data();
    label->setVisible(box != nullptr && box->isChecked());
    label->setText(WaitText(id));
}

void ZeltoMP::ChangeTestMode() {
    StopCountdown();
    StartNewRun();
    _device->Quit();
    _device->Send("n");
    ResultLabelUnShown();
    if (ui.dockWidget_2->isVisible()) {
        ui.dockWidget_2->hide();
    }
    if (ui.actionNormal_Mode->isChecked()) {
        ui.stackedWidget->setCurrentWidget(ui.normal_page);
        _device->UserMode();
        _device->Quit();
        _device->UserMode();
        _device->Quit();
        _device->Sleep(kModeSwitchPauseMs);
        _device->PowerOn();
    }
    if (ui.actionAutoTest_Mode->isChecked()) {
        ui.stackedWidget->setCurrentWidget(ui.auto_test_page);
    }
    AskAgainIfStartUpCutOff();
}
