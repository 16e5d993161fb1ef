#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <cstring>

#include "AboutDialog.h"
#include "BridgePeer.h"
#include "CalibrateDialog.h"
#include "CloseState.h"
#include "CoreDevice.h"
#include "EventPump.h"
#include "MassProductionFixture.h"
#include "MasterDownloader.h"
#include "ModalCloser.h"
#include "SettingDialog.h"
#include "SlaveDownloader.h"
#include "ThresholdSettingDialog.h"
#include "ZeltoMP.h"

using morvex_gui::CalibrateDialog;
using morvex_gui::MasterDownloader;
using morvex_gui::SlaveDownloader;

namespace {

// Plays steps against the modal dialogs that the window runs with exec():
// every few milliseconds the current step gets the active modal widget and
// returns true once it is done, then the next step follows. A dialog that no
// step expects is a failure and is closed, and so is everything still open
// at the deadline, so a wrong road cannot hang the test. Message and file
// boxes are left to a ModalCloser.
class ModalSteps {
public:
    using Step = std::function<bool(QWidget*)>;

    explicit ModalSteps(std::vector<Step> steps, int deadlineMs = 15000)
        : _steps(std::move(steps)), _deadlineMs(deadlineMs) {
        _clock.start();
        _timer.setInterval(5);
        QObject::connect(&_timer, &QTimer::timeout, [this] { Poll(); });
        _timer.start();
    }

    bool Done() const { return _next == _steps.size(); }

    // A step that acts once a dialog of type T is the active modal one.
    template <class T>
    static Step On(std::function<bool(T&)> act) {
        return [act](QWidget* modal) {
            auto* dialog = qobject_cast<T*>(modal);
            if (dialog != nullptr) {
                return dialog->isVisible() && act(*dialog);
            }
            if (auto* other = qobject_cast<QDialog*>(modal); other != nullptr && !IsBox(other)) {
                ADD_FAILURE() << "unexpected dialog " << other->metaObject()->className();
                other->reject();
            }
            return false;
        };
    }
    // Ends a dialog of type T with `result`.
    template <class T>
    static Step Finish(int result) {
        return On<T>([result](T& dialog) {
            dialog.done(result);
            return true;
        });
    }

private:
    static bool IsBox(QWidget* modal) {
        return qobject_cast<QMessageBox*>(modal) != nullptr ||
               qobject_cast<QFileDialog*>(modal) != nullptr;
    }

    void Poll() {
        if (Done()) {
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (_clock.elapsed() > _deadlineMs) {
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                ADD_FAILURE() << "still open at the deadline: "
                              << dialog->metaObject()->className();
                dialog->reject();
            }
            return;
        }
        if (_busy) {
            return;
        }
        _busy = true;
        if (_steps[_next](modal)) {
            ++_next;
        }
        _busy = false;
    }

    std::vector<Step> _steps;
    size_t _next = 0;
    bool _busy = false;
    int _deadlineMs;
    QElapsedTimer _clock;
    QTimer _timer;
};

template <class T>
T* Child(QDialog& dialog, const char* name) {
    T* widget = dialog.findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// Clicks later, so a nested box of the click does not run inside a step.
void ClickSoon(QPushButton* button) {
    QTimer::singleShot(0, button, &QPushButton::click);
}

std::string SlaveRecord(const std::string& kind) {
    return "$" + kind + std::string(284, '5');
}

const char* const kBootloaderInfo = "Bootloader information: 0A 0B 0C 0D \r";
// Sent to a dialog while it owns the link: the window must never see it.
const char* const kDuringLine = "Slave version: DURING\r";
// Open-port start-up: "#", quit, "#", quit, power on, "#", version request.
const char* const kStartUp = "##q##q@o##v";
// Back to the manual page: quit, "n", "#", quit, "#", quit, power on.
const char* const kManualMode = "#qn##q##q@o#";

class MassProductionDialogsTest : public ::testing::Test {
protected:
    void TearDown() override { mp.Destroy(); }

    // An open window whose version check found the slave, with all replies read.
    ZeltoMP& OpenWithVersions(const std::string& master = "ABC BV5.3") {
        MassProductionFixture::AnswerVersions(peer, master, "ZT-1.0");
        ZeltoMP& window = mp.Create();
        EXPECT_TRUE(mp.OpenPort(peer));
        EXPECT_TRUE(
            PumpUntil([&] { return window.Form().slave_label->text().contains("ZT-1.0"); }));
        EXPECT_TRUE(MassProductionFixture::WaitForInformationRequests(peer));
        Settle(window);
        return window;
    }

    // An open window whose version check found no slave firmware.
    ZeltoMP& OpenWithoutFirmware() {
        peer.Expect("v", MassProductionFixture::MasterLine("ABC BV5.3") + "\r");
        ZeltoMP& window = mp.Create();
        EXPECT_TRUE(mp.OpenPort(peer));
        EXPECT_TRUE(PumpUntil([&] { return window.NoFirmware(); }, 5000));
        Settle(window);
        return window;
    }

    void Settle(ZeltoMP& window) {
        peer.WaitUntilSent();
        PumpUntil([&] { return window.Device()->bytesAvailable() == 0; }, 1000);
        peer.ClearReceived();
    }

    // Sends lines and waits until the window's reader has counted them.
    bool WindowReads(ZeltoMP& window, const std::string& lines, int count) {
        const int before = window.ProgressBar()->value();
        peer.SendRaw(lines);
        return PumpUntil([&] { return window.ProgressBar()->value() == (before + count) % 100; });
    }

    // While the dialog owns the link the window reads nothing.
    static ModalSteps::Step FreezeProgress(ZeltoMP& window, int* progress) {
        return [&window, progress](QWidget*) {
            *progress = window.ProgressBar()->value();
            return true;
        };
    }

    bool LogHasInOrder(const std::vector<const char*>& lines) const {
        const QString log = mp.Log();
        int from = 0;
        for (const char* line : lines) {
            from = log.indexOf(QString::fromLatin1(line), from);
            if (from < 0) {
                ADD_FAILURE() << "missing or out of order: " << line;
                return false;
            }
        }
        return true;
    }

    MassProductionFixture mp;
    BridgePeer peer;
    ModalCloser closer;
};

}  // namespace

TEST_F(MassProductionDialogsTest, AboutAndThresholdsLeaveTheLinkWithTheWindow) {
    ZeltoMP& window = OpenWithVersions();
    Ui_ZeltoMP& ui = window.Form();
    bool readWhileOpen = false;
    ModalSteps about({ModalSteps::On<AboutDialog>([&](AboutDialog& dialog) {
                          EXPECT_EQ(dialog.parentWidget(), &window);
                          readWhileOpen = WindowReads(window, "z\rz\r", 2);
                          return true;
                      }),
                      ModalSteps::Finish<AboutDialog>(QDialog::Accepted)});
    ui.actionAbout->trigger();
    EXPECT_TRUE(about.Done());
    EXPECT_TRUE(readWhileOpen);
    EXPECT_TRUE(window.findChildren<AboutDialog*>().isEmpty());

    // Cancelled thresholds change nothing; accepted ones return to the test mode.
    ModalSteps cancelled({ModalSteps::Finish<ThresholdSettingDialog>(QDialog::Rejected)});
    ui.actionThresholdSetting->trigger();
    EXPECT_TRUE(cancelled.Done());
    ModalSteps accepted({ModalSteps::Finish<ThresholdSettingDialog>(QDialog::Accepted)});
    ui.actionThresholdSetting->trigger();
    EXPECT_TRUE(accepted.Done());
    EXPECT_TRUE(peer.WaitForText(kManualMode));
    EXPECT_EQ(peer.Received(), kManualMode);
    EXPECT_TRUE(window.findChildren<ThresholdSettingDialog*>().isEmpty());
    EXPECT_FALSE(mp.Log().contains("dialog start"));
}

TEST_F(MassProductionDialogsTest, SettingsAskThePasswordUntilItIsGivenOnce) {
    ZeltoMP& window = OpenWithVersions();
    QAction* settings = window.Form().actionDefault;
    const auto answer = [](const QString& text, bool accept) {
        return ModalSteps::On<QInputDialog>([=](QInputDialog& prompt) {
            EXPECT_EQ(prompt.windowTitle(), "Input Password");
            EXPECT_EQ(prompt.labelText(), "Please input the password: ");
            EXPECT_EQ(prompt.textEchoMode(), QLineEdit::Password);
            EXPECT_EQ(prompt.textValue(), "");
            prompt.setTextValue(text);
            prompt.done(accept ? QDialog::Accepted : QDialog::Rejected);
            return true;
        });
    };

    ModalSteps cancelled({answer("trevk", false)});
    settings->trigger();
    EXPECT_TRUE(cancelled.Done());
    ModalSteps wrongCase({answer("Trevk", true)});
    settings->trigger();
    EXPECT_TRUE(wrongCase.Done());
    ASSERT_EQ(closer.Boxes().size(), 1u);
    EXPECT_EQ(closer.Boxes()[0].title, "Error");
    EXPECT_EQ(closer.Boxes()[0].text, "Password Error!");
    EXPECT_FALSE(mp.Log().contains("Default settings"));

    ModalSteps given({answer("trevk", true), ModalSteps::Finish<SettingDialog>(QDialog::Rejected)});
    settings->trigger();
    EXPECT_TRUE(given.Done());
    EXPECT_TRUE(LogHasInOrder({"Default settings start", "Default settings cancel"}));
    EXPECT_EQ(peer.ReceivedCount(), 0u);

    // No second prompt; accepted settings leave the bridge in its closed state.
    const auto before = window.CurrentState();
    ModalSteps accepted({ModalSteps::On<SettingDialog>([](SettingDialog& dialog) {
        dialog.accept();
        return true;
    })});
    settings->trigger();
    EXPECT_TRUE(accepted.Done());
    EXPECT_TRUE(LogHasInOrder(
        {"Default settings cancel", "Default settings start", "Default settings accept"}));
    EXPECT_TRUE(peer.WaitForText("#q"));
    EXPECT_EQ(peer.Received(), "#q");
    EXPECT_NE(window.CurrentState(), before);
    EXPECT_TRUE(boost::dynamic_pointer_cast<morvex_gui::CloseState>(window.CurrentState()));
    EXPECT_EQ(closer.Boxes().size(), 1u);
}

TEST_F(MassProductionDialogsTest, CalibrationOwnsTheLinkUntilItCloses) {
    mp.WriteConfig("[General]\nDebug_time=60\n[ModeSwitch]\ndebug_mode=1\n");
    ZeltoMP& window = OpenWithVersions();
    Ui_ZeltoMP& ui = window.Form();
    // An item under test, its countdown running.
    window.Debug();
    ASSERT_TRUE(peer.WaitForText("@o#dO"));
    window.startTimer(1);
    ASSERT_TRUE(window.CountdownTimer(1)->isActive());
    Settle(window);
    peer.Expect("#z", std::string(kDuringLine) + "3s left K\r0s left K\r");

    int progress = -1;
    ModalSteps steps({ModalSteps::On<CalibrateDialog>([&](CalibrateDialog& dialog) {
                          EXPECT_TRUE(dialog.Calibrating());
                          // The item under test no longer runs.
                          EXPECT_FALSE(window.CountdownTimer(1)->isActive());
                          return Child<QPushButton>(dialog, "pushButtonOK")->isEnabled();
                      }),
                      FreezeProgress(window, &progress),
                      ModalSteps::On<CalibrateDialog>([&](CalibrateDialog& dialog) {
                          EXPECT_EQ(window.ProgressBar()->value(), progress);
                          mp.Sleeps().Clear();
                          ClickSoon(Child<QPushButton>(dialog, "pushButtonOK"));
                          return true;
                      })});
    const int progressBefore = window.ProgressBar()->value();
    ui.actionCalibrate->trigger();
    EXPECT_TRUE(steps.Done());
    EXPECT_EQ(progress, progressBefore);
    EXPECT_TRUE(window.findChildren<CalibrateDialog*>().isEmpty());
    EXPECT_TRUE(LogHasInOrder({"Calibrate dialog start", "Calibrate dialog exit"}));
    EXPECT_TRUE(ui.slave_label->text().contains("ZT-1.0"));
    // The bridge gets a moment before the mode switch.
    ASSERT_FALSE(mp.Sleeps().Pauses().empty());
    EXPECT_EQ(mp.Sleeps().Pauses().front(), 50u);
    // The calibration, its end, then the selected (manual) page again.
    const std::string expected = std::string("###z#q") + kManualMode;
    EXPECT_TRUE(peer.WaitForText(expected));
    EXPECT_EQ(peer.Received(), expected);
    EXPECT_TRUE(WindowReads(window, "z\rz\r", 2));
}

TEST_F(MassProductionDialogsTest, OffsetReadSendsUserModeFirst) {
    ZeltoMP& window = OpenWithVersions();
    std::string table;
    for (int i = 0; i < CalibrateDialog::kOffsetLineCount; ++i) {
        table += "0x0A,0x0B,\r";
    }
    peer.Expect("*", table);
    ModalSteps steps({ModalSteps::On<CalibrateDialog>([](CalibrateDialog& dialog) {
                          EXPECT_FALSE(dialog.Calibrating());
                          return dialog.OffsetCount() == CalibrateDialog::kOffsetLineCount;
                      }),
                      ModalSteps::Finish<CalibrateDialog>(QDialog::Rejected)});
    window.Calibrate(false);
    EXPECT_TRUE(steps.Done());
    // "v" provokes the master version, which only the dialog saw.
    EXPECT_EQ(peer.Received().substr(0, 3), "#v*");
    EXPECT_TRUE(
        LogHasInOrder({"Calibrate dialog start", "Read offset data", "Calibrate dialog exit"}));
}

TEST_F(MassProductionDialogsTest, RejectedSlaveDownloadReturnsToTheTestMode) {
    ZeltoMP& window = OpenWithVersions();
    Ui_ZeltoMP& ui = window.Form();
    ui.debug_label->setText("Debug: done");
    peer.Expect("b", std::string(kDuringLine) + kBootloaderInfo);
    int progress = -1;
    ModalSteps steps(
        {FreezeProgress(window, &progress),
         ModalSteps::On<SlaveDownloader>([&](SlaveDownloader& dialog) {
             EXPECT_EQ(ui.debug_label->text(), "Debug: <FONT COLOR=DimGray>Wait...</FONT>");
             EXPECT_EQ(ui.attb_label->text(), "Attb: <FONT COLOR=DimGray>Wait...</FONT>");
             return !Child<QLineEdit>(dialog, "lineVersion")->text().isEmpty();
         }),
         ModalSteps::On<SlaveDownloader>([&](SlaveDownloader& dialog) {
             EXPECT_EQ(window.ProgressBar()->value(), progress);
             dialog.reject();
             return true;
         })});
    ui.actionSlaveDownload->trigger();
    EXPECT_TRUE(steps.Done());
    EXPECT_TRUE(LogHasInOrder({"Slave download dialog start", "Slave download dialog reject"}));
    EXPECT_FALSE(mp.Log().contains("Slave download dialog accept"));
    EXPECT_TRUE(window.findChildren<SlaveDownloader*>().isEmpty());
    EXPECT_FALSE(ui.slave_label->text().contains("DURING"));
    EXPECT_TRUE(peer.WaitForText(kManualMode));
    EXPECT_EQ(peer.Received().substr(0, 9), "##q##q@o#");
    const std::string received = peer.Received();
    EXPECT_EQ(received.substr(received.size() - std::strlen(kManualMode)), kManualMode);
    EXPECT_FALSE(window.VersionTimer()->isActive());
    EXPECT_TRUE(WindowReads(window, "z\r", 1));
}

TEST_F(MassProductionDialogsTest, SlaveDownloadClosedAfterItBeganCountsAsDone) {
    mp.WriteConfig("[General]\nslave_download_file=" + mp.Dir().File("image.vmx").toLocal8Bit() +
                   "\n");
    mp.Dir().Write("image.vmx", QByteArray("! VERSION 47\r\n") +
                                    QByteArray::fromStdString(SlaveRecord("00")) + "\r\n" +
                                    QByteArray::fromStdString(SlaveRecord("06")) + "\r\n");
    // A bridge of 5.9 or later acknowledges each record; this one stays silent.
    peer.Expect("v", MassProductionFixture::MasterLine("ABC BV5.9") + "\r");
    ZeltoMP& window = mp.Create();
    ASSERT_TRUE(mp.OpenPort(peer));
    ASSERT_TRUE(PumpUntil([&] { return window.NoFirmware(); }, 5000));
    Settle(window);
    // A half line the window read before the dialog is stale afterwards.
    peer.SendRaw("Slave version: STALE");
    ASSERT_TRUE(PumpUntil([&] { return window.PendingLength() > 0; }));
    peer.Expect("b", std::string(kDuringLine) + kBootloaderInfo);

    ModalSteps steps({ModalSteps::On<SlaveDownloader>([](SlaveDownloader& dialog) {
                          auto* download = Child<QPushButton>(dialog, "buttonDownload");
                          if (!download->isEnabled()) {
                              return false;
                          }
                          ClickSoon(download);
                          return true;
                      }),
                      ModalSteps::On<SlaveDownloader>([&](SlaveDownloader& dialog) {
                          if (!dialog.DownloadStarted()) {
                              return false;
                          }
                          // The restart's version request stays unanswered, so
                          // the next line the window reads is the test's.
                          peer.GoSilent();
                          dialog.reject();
                          return true;
                      })});
    window.Form().actionSlaveDownload->trigger();
    EXPECT_TRUE(steps.Done());
    EXPECT_TRUE(closer.Boxes().empty());
    EXPECT_TRUE(LogHasInOrder({"Slave download dialog start", "Slave download dialog accept"}));
    EXPECT_FALSE(window.NoFirmware());
    EXPECT_TRUE(window.OverallPass());
    EXPECT_TRUE(window.VersionTimer()->isActive());
    EXPECT_EQ(window.Form().slave_label->text(), "");
    EXPECT_TRUE(peer.WaitForText(std::string("m5Ck") + kStartUp));

    // The restarted panel reads again, from a clean line.
    peer.SendRaw("Slave version: AFTER\r");
    ASSERT_TRUE(PumpUntil([&] { return window.Form().slave_label->text().contains("AFTER"); }));
    EXPECT_FALSE(window.Form().slave_label->text().contains("STALE"));
}

TEST_F(MassProductionDialogsTest, RejectedMasterDownloadStillRestartsThePanel) {
    ZeltoMP& window = OpenWithoutFirmware();
    {
        // Without slave firmware there is nothing to calibrate.
        ModalSteps none({ModalSteps::Finish<CalibrateDialog>(QDialog::Rejected)}, 500);
        window.Calibrate(true);
        EXPECT_FALSE(none.Done());
        EXPECT_FALSE(mp.Log().contains("Calibrate dialog"));
    }

    peer.Expect("G", std::string(kDuringLine) + "Master_Bootloader_BV12\r");
    int progress = -1;
    ModalSteps steps({FreezeProgress(window, &progress),
                      ModalSteps::On<MasterDownloader>([&](MasterDownloader& dialog) {
                          if (Child<QLineEdit>(dialog, "lineVersion")->text().isEmpty()) {
                              return false;
                          }
                          EXPECT_EQ(window.ProgressBar()->value(), progress);
                          dialog.reject();
                          return true;
                      })});
    window.Form().actionMasterDownload->trigger();
    EXPECT_TRUE(steps.Done());
    EXPECT_TRUE(LogHasInOrder({"Master download dialog start", "Master download dialog reject"}));
    EXPECT_FALSE(window.NoFirmware());
    EXPECT_TRUE(window.VersionTimer()->isActive());
    EXPECT_TRUE(window.findChildren<MasterDownloader*>().isEmpty());
    EXPECT_EQ(peer.Received().substr(0, 6), "##q@o#");
    EXPECT_TRUE(peer.WaitForText(kStartUp));
    EXPECT_TRUE(PumpUntil([&] { return window.Form().master_label->text().contains("BV5.3"); }));

    // A click on Download makes even a failed try count as a download.
    ModalSteps started({ModalSteps::On<MasterDownloader>([](MasterDownloader& dialog) {
                            ClickSoon(Child<QPushButton>(dialog, "buttonDownload"));
                            return true;
                        }),
                        ModalSteps::On<MasterDownloader>([](MasterDownloader& dialog) {
                            if (!dialog.DownloadStarted()) {
                                return false;
                            }
                            dialog.reject();
                            return true;
                        })});
    window.Form().actionMasterDownload->trigger();
    EXPECT_TRUE(started.Done());
    EXPECT_TRUE(mp.Log().contains("Master download dialog accept"));
}

TEST_F(MassProductionDialogsTest, AdapterGoneDuringADialogSkipsTheRestart) {
    ZeltoMP& window = OpenWithVersions();
    const auto pullAdapter = [&](QDialog&) {
        peer.HangUp();
        peer.Unlist();
        window.DeviceRemoval();
        mp.Sleeps().Clear();
        return true;
    };
    ModalSteps calibration({ModalSteps::On<CalibrateDialog>(
        [&](CalibrateDialog& dialog) { return pullAdapter(dialog); })});
    window.Form().actionCalibrate->trigger();
    EXPECT_TRUE(calibration.Done());
    EXPECT_TRUE(LogHasInOrder(
        {"Calibrate dialog start", "Opened Device is Disconnected", "Calibrate dialog exit"}));
    EXPECT_FALSE(window.Device()->isOpen());
    // No pause and no mode switch on a port that is gone.
    EXPECT_TRUE(mp.Sleeps().Pauses().empty());
}

TEST_F(MassProductionDialogsTest, MasterDownloadWithTheAdapterGoneLeavesThePortClosed) {
    ZeltoMP& window = OpenWithVersions();
    ModalSteps steps({ModalSteps::On<MasterDownloader>([&](MasterDownloader&) {
        peer.HangUp();
        peer.Unlist();
        window.DeviceRemoval();
        mp.Sleeps().Clear();
        return true;
    })});
    window.Form().actionMasterDownload->trigger();
    EXPECT_TRUE(steps.Done());
    EXPECT_TRUE(LogHasInOrder({"Master download dialog start", "Opened Device is Disconnected",
                               "Master download dialog reject"}));
    EXPECT_FALSE(window.VersionTimer()->isActive());
    EXPECT_TRUE(mp.Sleeps().Pauses().empty());
    EXPECT_FALSE(window.Form().actionOpen->isChecked());
}

TEST_F(MassProductionDialogsTest, OffsetSwitchAndOpenShortTables) {
    ZeltoMP& window = OpenWithVersions();
    Ui_ZeltoMP& ui = window.Form();
    ui.actionWithOffset->trigger();
    EXPECT_TRUE(ui.actionWithOffset->isChecked());
    ui.actionWithOffset->trigger();
    EXPECT_TRUE(peer.WaitForText("oO"));
    EXPECT_EQ(peer.Received(), "oO");
    EXPECT_TRUE(LogHasInOrder({"Offset enable", "Offset disable"}));

    window.StartOpenShort(4, 3);
    EXPECT_FALSE(ui.dockWidget_2->isHidden());
    const auto check = [](QTableWidget* table, int rows, int columns) {
        ASSERT_EQ(table->rowCount(), rows);
        ASSERT_EQ(table->columnCount(), columns);
        for (int row = 0; row < rows; ++row) {
            EXPECT_EQ(table->verticalHeaderItem(row)->text(), QString::number(row + 1));
            for (int column = 0; column < columns; ++column) {
                EXPECT_EQ(table->item(row, column)->text(), "0");
                EXPECT_EQ(table->item(row, column)->textAlignment(),
                          int(Qt::AlignHCenter | Qt::AlignTop));
            }
        }
        for (int column = 0; column < columns; ++column) {
            EXPECT_EQ(table->columnWidth(column), 50);
        }
    };
    check(ui.table_x_rawdata, 3, 3);
    check(ui.table_y_rawdata, 2, 4);
    // A grid too small for a table leaves it empty.
    window.StartOpenShort(1, 1);
    check(ui.table_x_rawdata, 1, 0);
    check(ui.table_y_rawdata, 0, 1);
}
