#include <gtest/gtest.h>

#include <QInputDialog>
#include <memory>

#include "DialogScript.h"
#include "Drovanel.h"
#include "DrovanelFixture.h"
#include "MessageCapture.h"
#include "ProgramFolderFixture.h"
#include "SettingDialog.h"
#include "ZeltoMP.h"

namespace {

// What would reach the console, less the offscreen test platform's own remark.
std::string Printed(const MessageCapture& messages) {
    std::string printed;
    for (const std::string& message : messages.Messages()) {
        if (message != "This plugin does not support propagateSizeHints()") {
            printed += message + "\n";
        }
    }
    return printed;
}

DialogScript::Step AcceptSettings() {
    return DialogScript::On<SettingDialog>([](SettingDialog& dialog) { dialog.accept(); });
}

}  // namespace

// The commands that accepting the settings and closing the program send are
// skipped while the port is closed, so the console stays quiet.
TEST(QuietConsoleTest, MassProductionWindowWithThePortClosed) {
    ProgramFolderFixture folder;
    MessageCapture messages;
    DialogScript script({DialogScript::On<QInputDialog>([](QInputDialog& box) {
                             box.setTextValue("trevk");
                             box.accept();
                         }),
                         AcceptSettings()});
    auto window = std::make_unique<ZeltoMP>();
    window->findChild<QAction*>("actionDefault")->trigger();
    EXPECT_TRUE(script.Done());
    window.reset();
    EXPECT_TRUE(folder.Log().contains("Default settings accept"));
    EXPECT_EQ(Printed(messages), "");
}

TEST(QuietConsoleTest, EngineeringWindowWithThePortClosed) {
    DrovanelFixture fixture;
    MessageCapture messages;
    DialogScript script({AcceptSettings()});
    fixture.Create().findChild<QAction*>("actionDefault_Settings")->trigger();
    EXPECT_TRUE(script.Done());
    fixture.Destroy();
    EXPECT_TRUE(fixture.Log().contains("Default settings accept"));
    EXPECT_EQ(Printed(messages), "");
}
