#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTabWidget>
#include <boost/make_shared.hpp>
#include <functional>
#include <memory>

#include "AboutDialog.h"
#include "CalibrateDialog.h"
#include "CloseState.h"
#include "CoreDevice.h"
#include "DialogScript.h"
#include "Drovanel.h"
#include "DrovanelFixture.h"
#include "MasterDownloader.h"
#include "OpenShort.h"
#include "QualificationSetup.h"
#include "QualifyLogDialog.h"
#include "RecordSetFileName.h"
#include "RecordView.h"
#include "SettingDialog.h"
#include "Settings.h"
#include "SlaveDownloadProgress.h"
#include "SlaveDownloader.h"
#include "ThresholdSettingDialog.h"
#include "TunePathSettings.h"
#include "TuningStart.h"
#include "ZeltoMP.h"
#include "ZeltorThresholdSettingDialog.h"

namespace {

// What a window manager's title bar keeps for the icon and the buttons.
constexpr int kTitleBarReserve = 120;

// Collects every single-line text that its widget cuts, and every label text
// that an input field covers, over all tabs and stacked pages of one window.
class FitCheck {
public:
    explicit FitCheck(QWidget* window) : _window(window) {}

    QStringList Faults() {
        _window->show();
        ShowHidden();
        Settle();
        const QSize title = QFontMetrics(QApplication::font()).size(0, _window->windowTitle());
        Expect(_window, _window->windowTitle(), title.width() + kTitleBarReserve, _window->width());
        CheckUnder(_window);
        for (QStackedWidget* stack : _window->findChildren<QStackedWidget*>()) {
            for (int page = 0; page < stack->count(); ++page) {
                Reveal(stack->widget(page));
                Settle();
                CheckUnder(stack->widget(page));
            }
        }
        _faults.removeDuplicates();
        return _faults;
    }

private:
    void Settle() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    }

    // The windows hide parts of their forms until the bridge answers or a test
    // item needs them; the texts there must fit all the same.
    void ShowHidden() {
        for (QWidget* widget : _window->findChildren<QWidget*>()) {
            const QString name = widget->objectName();
            const bool formPart = !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
            if (formPart && widget->isHidden() && !widget->isWindow() &&
                qobject_cast<QStackedWidget*>(widget->parentWidget()) == nullptr) {
                widget->show();
            }
        }
    }

    // Makes every stack between `page` and the window show the way to it.
    void Reveal(QWidget* page) {
        for (QWidget* child = page; child != _window; child = child->parentWidget()) {
            auto* stack = qobject_cast<QStackedWidget*>(child->parentWidget());
            if (stack == nullptr) {
                continue;
            }
            if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget())) {
                tabs->setCurrentWidget(child);
            } else {
                stack->setCurrentWidget(child);
            }
        }
    }

    void CheckUnder(QWidget* root) {
        QList<QWidget*> widgets = root->findChildren<QWidget*>();
        widgets.prepend(root);
        for (QWidget* widget : widgets) {
            if (widget->isVisibleTo(_window)) {
                Check(widget, widgets);
            }
        }
    }

    void Check(QWidget* widget, const QList<QWidget*>& neighbours) {
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (!label->wordWrap() && !label->text().isEmpty()) {
                Expect(label, label->text(), label->minimumSizeHint().width(), label->width());
                CheckCovered(label, neighbours);
            }
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            QStyleOptionButton option;
            option.initFrom(button);
            const QRect contents =
                button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
            Expect(button, button->text(), TextWidth(button, button->text()) + icon,
                   contents.width());
        } else if (auto* other = qobject_cast<QAbstractButton*>(widget)) {
            Expect(other, other->text(), other->sizeHint().width(), other->width());
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            QStyleOptionGroupBox option;
            option.initFrom(group);
            const QSize title(TextWidth(group, group->title() + QLatin1Char(' ')), 0);
            Expect(group, group->title(),
                   group->style()
                       ->sizeFromContents(QStyle::CT_GroupBox, &option, title, group)
                       .width(),
                   group->width());
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.editable = combo->isEditable();
            option.frame = combo->hasFrame();
            const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                               QStyle::SC_ComboBoxEditField, combo);
            for (int item = 0; item < combo->count(); ++item) {
                Expect(combo, combo->itemText(item), TextWidth(combo, combo->itemText(item)),
                       field.width());
            }
        } else if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
            Expect(tabs, tabs->tabText(tabs->count() - 1), tabs->sizeHint().width(),
                   tabs->parentWidget()->width());
        }
    }

    // An input field that lies over the part of the label where its text is drawn.
    void CheckCovered(const QLabel* label, const QList<QWidget*>& neighbours) {
        const QSize text(std::min(label->minimumSizeHint().width(), label->width()),
                         label->fontMetrics().height());
        const QRect drawn = QStyle::alignedRect(label->layoutDirection(), label->alignment(), text,
                                                label->contentsRect());
        const QRect onWindow(label->mapTo(_window, drawn.topLeft()), drawn.size());
        for (QWidget* field : neighbours) {
            const bool input = qobject_cast<QAbstractSpinBox*>(field) ||
                               qobject_cast<QComboBox*>(field) || qobject_cast<QLineEdit*>(field) ||
                               qobject_cast<QAbstractButton*>(field);
            if (!input || !field->isVisibleTo(_window) || field->isAncestorOf(label)) {
                continue;
            }
            const QRect fieldOnWindow(field->mapTo(_window, QPoint()), field->size());
            if (fieldOnWindow.intersects(onWindow)) {
                _faults << Name(label) + " \"" + label->text() + "\" lies under " + Name(field);
            }
        }
    }

    static int TextWidth(const QWidget* widget, const QString& text) {
        return widget->fontMetrics().size(Qt::TextShowMnemonic, text).width();
    }

    static QString Name(const QWidget* widget) {
        return widget->window()->objectName() + "/" + widget->objectName();
    }

    void Expect(const QWidget* widget, const QString& text, int needs, int has) {
        if (!text.isEmpty() && needs > has) {
            _faults << QString("%1 \"%2\" needs %3 px, has %4")
                           .arg(Name(widget), text)
                           .arg(needs)
                           .arg(has);
        }
    }

    QWidget* _window;
    QStringList _faults;
};

std::string FaultsOf(QWidget* window) {
    return FitCheck(window).Faults().join('\n').toStdString();
}

// A device that stays closed: the dialogs that borrow the link only need one.
struct ClosedDevice {
    boost::shared_ptr<morvex_gui::State> state =
        boost::make_shared<morvex_gui::CloseState>(nullptr);
    morvex_gui::CoreDevice device{nullptr, &state};
};

class FormFitTest : public ::testing::Test {
protected:
    DrovanelFixture folder;  // a scratch program folder, and the engineering window on demand
};

}  // namespace

TEST_F(FormFitTest, EveryTextOfTheThreeWindowsAndThePasswordBoxFits) {
    std::string password = "not shown";
    DialogScript script({DialogScript::On<QInputDialog>([&](QInputDialog& box) {
        password = FaultsOf(&box);
        box.reject();
    })});
    ZeltoMP massProduction;
    massProduction.findChild<QAction*>("actionDefault")->trigger();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(password, "");
    EXPECT_EQ(FaultsOf(&massProduction), "");
    EXPECT_EQ(FaultsOf(&folder.Create()), "");
    OpenShort openShort;
    EXPECT_EQ(FaultsOf(&openShort), "");
}

TEST_F(FormFitTest, EveryTextOfTheDialogsFits) {
    Settings settings;
    ClosedDevice link;
    morvex_gui::Device* device = &link.device;
    const std::vector<std::function<QDialog*()>> dialogs{
        [] { return new AboutDialog(nullptr); },
        [&] { return new SettingDialog(&settings, nullptr); },
        [&] { return new ThresholdSettingDialog(&settings, nullptr); },
        [&] { return new ZeltorThresholdSettingDialog(&settings, nullptr); },
        [&] { return new morvex_gui::CalibrateDialog(true, device, nullptr); },
        [&] { return new morvex_gui::CalibrateDialog(false, device, nullptr); },
        [&] { return new morvex_gui::MasterDownloader(&settings, device, nullptr); },
        [&] { return new morvex_gui::SlaveDownloader(&settings, device, nullptr); },
        [&] { return new morvex_gui::QualifyLogDialog(&settings, device, nullptr); },
        [&] { return new morvex_gui::SlaveDownloadProgress(device, "", "", nullptr); },
        [] { return new QualificationSetup(nullptr); },
        [] { return new RecordSetFileName(nullptr); },
        [] { return new RecordView(nullptr); },
        [&] { return new TunePathSettings(&settings, nullptr); },
        [] { return new TuningStart(nullptr); }};
    for (const auto& make : dialogs) {
        const std::unique_ptr<QDialog> dialog(make());
        EXPECT_EQ(FaultsOf(dialog.get()), "");
    }
}
