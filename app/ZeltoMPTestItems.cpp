#include <QLabel>

#include "CoreDevice.h"
#include "OperationLog.h"
#include "PortToolBar.h"
#include "QtWindowImp.h"
#include "Settings.h"
#include "TestGlobals.h"
#include "ZeltoMP.h"

// One test item: how its slot decides whether it runs and what it loads.
struct ZeltoMP::TestItem {
    int id;                      // the value of mode_flag while it runs
    const char* switchKey;       // nullptr: the slot has no switch and no port gate
    const char* timeKey;         // nullptr: a fixed countdown of kFixedSeconds
    QLabel* Ui_ZeltoMP::*label;  // nullptr: no label, never judged on the automatic page
    bool hidesDock;
    bool withOffset;
    bool clearsDisplay;
    ItemSlot nextWhenOff;  // nullptr: the end of the automatic sequence
};

namespace {

using Item = ZeltoMP::TestItem;

// The single raw-data items run for a fixed time of their own.
constexpr int kFixedSeconds = 10;

const Item kReset{ZeltoMP::kResetItem,
                  "ModeSwitch/reset_mode",
                  "Reset_time",
                  &Ui_ZeltoMP::reset_label,
                  false,
                  true,
                  true,
                  &ZeltoMP::Attb};
const Item kAttb{ZeltoMP::kAttbItem,
                 "ModeSwitch/attb_mode",
                 "Attb_time",
                 &Ui_ZeltoMP::attb_label,
                 false,
                 true,
                 true,
                 &ZeltoMP::Debug};
const Item kDebug{ZeltoMP::kDebugItem,
                  "ModeSwitch/debug_mode",
                  "Debug_time",
                  &Ui_ZeltoMP::debug_label,
                  false,
                  true,
                  false,
                  &ZeltoMP::SingleRaw};
const Item kSingleRaw{ZeltoMP::kSingleRawItem,
                      "ModeSwitch/singleRaw_mode",
                      nullptr,
                      &Ui_ZeltoMP::singleRaw_label,
                      true,
                      false,
                      false,
                      &ZeltoMP::NormalLinearity};
const Item kLinearity{ZeltoMP::kLinearityItem,
                      nullptr,
                      "Linearity_time",
                      &Ui_ZeltoMP::linearity_label,
                      true,
                      false,
                      false,
                      &ZeltoMP::NormalBorder};
const Item kBorder{
    ZeltoMP::kBorderItem,   nullptr, "Border_time", &Ui_ZeltoMP::border_label, true, false, false,
    &ZeltoMP::NormalPrecise};
const Item kPrecise{
    ZeltoMP::kPreciseItem, nullptr, "Precise_time", &Ui_ZeltoMP::precise_label, true, false, false,
    &ZeltoMP::Jitter};
const Item kJitter{ZeltoMP::kJitterItem,
                   "ModeSwitch/jitter_mode",
                   "Jitter_time",
                   &Ui_ZeltoMP::jitter_label,
                   false,
                   true,
                   false,
                   &ZeltoMP::RasterRX};
const Item kRasterRX{ZeltoMP::kRasterXItem,
                     "ModeSwitch/raster_x_mode",
                     "Raster_x_time",
                     &Ui_ZeltoMP::raster_x_label,
                     true,
                     true,
                     false,
                     &ZeltoMP::RasterRY};
const Item kRasterRY{ZeltoMP::kRasterYItem,
                     "ModeSwitch/raster_y_mode",
                     "Raster_y_time",
                     &Ui_ZeltoMP::raster_y_label,
                     true,
                     true,
                     false,
                     &ZeltoMP::Active};
const Item kActive{ZeltoMP::kActiveItem,
                   "ModeSwitch/active_mode",
                   "Active_time",
                   &Ui_ZeltoMP::active_label,
                   true,
                   true,
                   false,
                   &ZeltoMP::ButtonNormal};
const Item kButtonNormal{ZeltoMP::kButtonNormalItem,
                         nullptr,
                         "Button_normal_time",
                         &Ui_ZeltoMP::b_normal_label,
                         true,
                         false,
                         false,
                         &ZeltoMP::ButtonRawData};
const Item kButtonRawData{ZeltoMP::kButtonRawDataItem,
                          nullptr,
                          "Button_rawdata_time",
                          &Ui_ZeltoMP::b_debug_label,
                          true,
                          true,
                          false,
                          &ZeltoMP::ButtonSingleRaw};
const Item kButtonSingleRaw{ZeltoMP::kButtonSingleRawItem,
                            "ModeSwitch/b_singleRaw_mode",
                            nullptr,
                            &Ui_ZeltoMP::b_singleRaw_label,
                            true,
                            false,
                            false,
                            nullptr};
const Item kRaster{
    ZeltoMP::kRasterItem, "ModeSwitch/raster_mode", "Raster_time", nullptr, true, true, false,
    &ZeltoMP::RasterRX};
const Item kRasterX{ZeltoMP::kRasterXItem,
                    "ModeSwitch/raster_x_mode",
                    "Raster_x_time",
                    &Ui_ZeltoMP::raster_x_label,
                    false,
                    true,
                    false,
                    &ZeltoMP::RasterY};
const Item kRasterY{ZeltoMP::kRasterYItem,
                    "ModeSwitch/raster_y_mode",
                    "Raster_y_time",
                    &Ui_ZeltoMP::raster_y_label,
                    false,
                    true,
                    false,
                    &ZeltoMP::SingleRaw};

}  // namespace

bool ZeltoMP::OnAutomaticPage() const {
    return ui.stackedWidget->currentWidget() == ui.auto_test_page;
}

void ZeltoMP::RunItem(const TestItem& item, const std::function<void()>& operation) {
    if (item.hidesDock && ui.dockWidget_2->isVisible()) {
        ui.dockWidget_2->hide();
    }
    const bool on = item.switchKey == nullptr || SwitchOn(item.switchKey);
    if (item.clearsDisplay) {
        _imp->ClearAll();
    }
    mode_flag = item.id;
    if (OnAutomaticPage() && (item.label == nullptr || (ui.*item.label)->isHidden())) {
        // A switched-off item hands over to the next one in the same call.
        if (item.nextWhenOff != nullptr) {
            (this->*item.nextWhenOff)();
        } else {
            EndSequence();
        }
        return;
    }
    if (item.switchKey != nullptr && (!_portBar->IsOpen() || !on)) {
        return;
    }
    if (!FirmwareReady() ||
        !PanelInformationReady([this, &item, operation] { RunItem(item, operation); })) {
        return;
    }
    // The previous item's countdown must never judge this one, and a step
    // still deferred from it must not run into it. On the automatic page the
    // last count stays shown until this item's countdown replaces it.
    if (OnAutomaticPage() && item.timeKey != nullptr) {
        StopTimers();
    } else {
        StopCountdown();
    }
    StartNewRun();
    _timeout = item.timeKey != nullptr ? IntSetting(item.timeKey) : kFixedSeconds;
    _device->PowerOn();
    operation();
    if (item.withOffset) {
        UserWithOffset(ui.actionWithOffset->isChecked());
    }
}

void ZeltoMP::UserWithOffset(bool state) {
    if (state) {
        LOG4CPLUS_INFO(OperationLogger(), "Offset enable");
        _device->Send("o");
    } else {
        LOG4CPLUS_INFO(OperationLogger(), "Offset disable");
        _device->Send("O");
    }
}

void ZeltoMP::Reset() {
    RunItem(kReset, [this] { _device->ResetState(); });
}

void ZeltoMP::Attb() {
    RunItem(kAttb, [this] { _device->AttbState(); });
}

void ZeltoMP::Debug() {
    g_jitterTest = 0;
    RunItem(kDebug, [this] { _device->DebugState(); });
}

void ZeltoMP::SingleRaw() {
    RunItem(kSingleRaw, [this] { _device->SingleRawDataState(); });
}

void ZeltoMP::NormalLinearity() {
    RunItem(kLinearity, [this] { _device->LinearityState(); });
}

void ZeltoMP::NormalBorder() {
    RunItem(kBorder, [this] { _device->BorderState(); });
}

void ZeltoMP::NormalPrecise() {
    RunItem(kPrecise, [this] { _device->PreciseState(); });
}

void ZeltoMP::Jitter() {
    g_jitterTest = 1;
    RunItem(kJitter, [this] { _device->JitterState(); });
}

void ZeltoMP::RasterRX() {
    RunItem(kRasterRX, [this] { _device->RasterRXState(); });
}

void ZeltoMP::RasterRY() {
    RunItem(kRasterRY, [this] { _device->RasterRYState(); });
}

void ZeltoMP::Active() {
    RunItem(kActive, [this] { _device->ActiveState(IntSetting("active_test_mode") != 0); });
}

void ZeltoMP::ButtonNormal() {
    RunItem(kButtonNormal, [this] { _device->UserReadButtons(); });
}

void ZeltoMP::ButtonRawData() {
    RunItem(kButtonRawData, [this] { _device->UserReadButtonRawData(); });
}

void ZeltoMP::ButtonSingleRaw() {
    RunItem(kButtonSingleRaw, [this] { _device->ButtonSingleRawDataState(); });
}

void ZeltoMP::Raster() {
    RunItem(kRaster, [this] { _device->RasterState(); });
}

void ZeltoMP::RasterX() {
    RunItem(kRasterX, [this] { _device->RasterXState(); });
}

void ZeltoMP::RasterY() {
    RunItem(kRasterY, [this] { _device->RasterYState(); });
}
