#include <gtest/gtest.h>

#include <QInputDialog>
#include <memory>

#include "DialogScript.h"
#include "Drovanel.h"
#include "DrovanelFixture.h"
#include "MessageCapture.h"
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

}  // namespace

// The commands that accepting the settings and closing the program send are
// skipped while the port is closed, so the console stays quiet.
TEST(QuietConsoleTest, BothWindowsWithThePortClosed) {
    DrovanelFixture fixture;
    MessageCapture messages;
    const auto accept = DialogScript::On<SettingDialog>([](SettingDialog& d) { d.accept(); });
    DialogScript script({DialogScript::On<QInputDialog>([](QInputDialog& box) {
                             box.setTextValue("trevk");
                             box.accept();
                         }),
                         accept, accept});
    auto massProduction = std::make_unique<ZeltoMP>();
    massProduction->findChild<QAction*>("actionDefault")->trigger();
    massProduction.reset();
    fixture.Create().findChild<QAction*>("actionDefault_Settings")->trigger();
    EXPECT_TRUE(script.Done());
    fixture.Destroy();
    EXPECT_EQ(fixture.Log().count("Default settings accept"), 2);
    EXPECT_EQ(Printed(messages), "");
}
