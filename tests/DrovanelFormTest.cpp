#include <gtest/gtest.h>

#include <QDockWidget>
#include <QMainWindow>

#include "Drovanel.h"

// The form's own wiring, on a plain main window: the status button and the
// information dock follow each other whichever of them the user moves.
TEST(DrovanelFormTest, TheStatusButtonAndTheInformationDockFollowEachOther) {
    QMainWindow window;
    Ui::DrovanelClass ui;
    ui.setupUi(&window);
    window.show();
    ASSERT_TRUE(ui.buttonTuneStatus->isChecked());
    ui.buttonTuneStatus->click();
    EXPECT_TRUE(ui.dockWidgetInformation->isHidden());
    ui.dockWidgetInformation->show();
    EXPECT_TRUE(ui.buttonTuneStatus->isChecked());
    ui.dockWidgetInformation->hide();
    EXPECT_FALSE(ui.buttonTuneStatus->isChecked());
}
